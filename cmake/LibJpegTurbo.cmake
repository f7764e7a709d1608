# The JPEG library that decodes the About box's logo, as the imported target
# `purgelet_jpeg`.
#
# Cross-building on Linux: libjpeg-turbo is built as a static library for the
# target from Debian's source package, fetched through an apt configuration of
# its own inside the build folder (scripts/fetch-jpeg-source.sh). The source,
# build and installation stay in <build>/deps/libjpeg-turbo, so later builds
# neither fetch nor rebuild it.
# Elsewhere (a native Windows build, or PURGELET_JPEG_PREFIX given): an
# installed libjpeg is used.
set(PURGELET_JPEG_PREFIX "" CACHE PATH "An installed libjpeg(-turbo) to use instead of building Debian's source")

add_library(purgelet_jpeg INTERFACE)

if(PURGELET_JPEG_PREFIX OR NOT CMAKE_CROSSCOMPILING OR CMAKE_HOST_WIN32)
    if(PURGELET_JPEG_PREFIX)
        list(APPEND CMAKE_FIND_ROOT_PATH ${PURGELET_JPEG_PREFIX})
        set(JPEG_ROOT ${PURGELET_JPEG_PREFIX})
    endif()
    find_package(JPEG REQUIRED)
    target_link_libraries(purgelet_jpeg INTERFACE JPEG::JPEG)
    return()
endif()

include(ExternalProject)
set(jpeg_root ${CMAKE_BINARY_DIR}/deps/libjpeg-turbo)
set(jpeg_install ${jpeg_root}/install)
set(jpeg_library ${jpeg_install}/lib/libjpeg.a)

ExternalProject_Add(libjpeg_turbo
    PREFIX ${jpeg_root}
    SOURCE_DIR ${jpeg_root}/source
    BINARY_DIR ${jpeg_root}/build
    INSTALL_DIR ${jpeg_install}
    DOWNLOAD_COMMAND ${CMAKE_SOURCE_DIR}/scripts/fetch-jpeg-source.sh <SOURCE_DIR> ${jpeg_root}
    UPDATE_COMMAND ""
    CMAKE_ARGS
        -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
        -DCMAKE_BUILD_TYPE=Release
        -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
        -DENABLE_SHARED=OFF
        -DENABLE_STATIC=ON
        -DWITH_SIMD=OFF
        -DWITH_TURBOJPEG=OFF
        -DWITH_JPEG8=OFF
        -DCMAKE_C_FLAGS=-w
    BUILD_BYPRODUCTS ${jpeg_library}
    LOG_DOWNLOAD OFF
    LOG_CONFIGURE ON
    LOG_BUILD ON
    LOG_INSTALL ON
    LOG_OUTPUT_ON_FAILURE ON)

# The include folder must exist when the build is generated.
file(MAKE_DIRECTORY ${jpeg_install}/include)
add_library(purgelet_jpeg_built STATIC IMPORTED GLOBAL)
set_target_properties(purgelet_jpeg_built PROPERTIES
    IMPORTED_LOCATION ${jpeg_library}
    INTERFACE_INCLUDE_DIRECTORIES ${jpeg_install}/include)
add_dependencies(purgelet_jpeg_built libjpeg_turbo)
target_link_libraries(purgelet_jpeg INTERFACE purgelet_jpeg_built)
