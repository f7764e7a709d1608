# LevelDB with Snappy, as the interface target `purgelet_leveldb`: the
# browsers' stores kept by origin (Chromium's Local Storage, Session Storage,
# Service Worker database) are read and changed through it. Chromium
# compresses the tables of these stores with Snappy, so LevelDB is always
# built with it: without it a store opens and then stops mid-iteration on its
# first compressed block.
#
# Cross-building on Linux: Debian's snappy and leveldb source packages are
# fetched the way SQLite's is (scripts/fetch-debian-source.sh, Debian's
# patches applied) and cross-built as static libraries into
# <build>/deps/snappy and <build>/deps/leveldb, once; later builds neither
# fetch nor rebuild them.
# - Snappy: only its `snappy` target, with Makefiles (Debian's patch adds a
#   second static target with the same output file, which Ninja refuses).
# - LevelDB: HAVE_SNAPPY set here (its own check links a C program against
#   the C++ library and fails), no tests, benchmarks or installation; only its
#   `leveldb` target. Its headers and library are copied, not installed, so
#   its CMake package (which wants Threads and an imported snappy) is unused.
# Elsewhere (a native Windows build, or PURGELET_LEVELDB_PREFIX given): a
# built LevelDB and Snappy (include/ and lib/ below each prefix, as MSYS2's
# mingw-w64-x86_64-leveldb and mingw-w64-x86_64-snappy install them).
set(PURGELET_LEVELDB_PREFIX "" CACHE PATH "A built LevelDB (include/, lib/) to use instead of Debian's source")
set(PURGELET_SNAPPY_PREFIX "" CACHE PATH "The built Snappy for that LevelDB (default: the LevelDB prefix)")

add_library(purgelet_leveldb INTERFACE)

if(PURGELET_LEVELDB_PREFIX OR NOT CMAKE_CROSSCOMPILING OR CMAKE_HOST_WIN32)
    set(snappy_prefix ${PURGELET_SNAPPY_PREFIX})
    if(NOT snappy_prefix)
        set(snappy_prefix ${PURGELET_LEVELDB_PREFIX})
    endif()
    set(search)
    if(PURGELET_LEVELDB_PREFIX)
        set(search NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    endif()
    find_path(PURGELET_LEVELDB_INCLUDE leveldb/db.h HINTS ${PURGELET_LEVELDB_PREFIX}/include ${search})
    find_library(PURGELET_LEVELDB_LIBRARY NAMES libleveldb.a leveldb HINTS ${PURGELET_LEVELDB_PREFIX}/lib ${search})
    find_library(PURGELET_SNAPPY_LIBRARY NAMES libsnappy.a snappy HINTS ${snappy_prefix}/lib ${search})
    if(NOT PURGELET_LEVELDB_INCLUDE OR NOT PURGELET_LEVELDB_LIBRARY OR NOT PURGELET_SNAPPY_LIBRARY)
        message(FATAL_ERROR "LevelDB and Snappy not found: name their folders with -DPURGELET_LEVELDB_PREFIX=... "
                            "(and -DPURGELET_SNAPPY_PREFIX=... when Snappy lies elsewhere)")
    endif()
    target_include_directories(purgelet_leveldb SYSTEM INTERFACE ${PURGELET_LEVELDB_INCLUDE})
    target_link_libraries(purgelet_leveldb INTERFACE ${PURGELET_LEVELDB_LIBRARY} ${PURGELET_SNAPPY_LIBRARY})
    return()
endif()

include(ExternalProject)
cmake_host_system_information(RESULT leveldb_jobs QUERY NUMBER_OF_LOGICAL_CORES)

set(snappy_root ${CMAKE_BINARY_DIR}/deps/snappy)
set(snappy_install ${snappy_root}/install)
set(snappy_library ${snappy_install}/lib/libsnappy.a)
ExternalProject_Add(snappy_source
    PREFIX ${snappy_root}
    SOURCE_DIR ${snappy_root}/source
    BINARY_DIR ${snappy_root}/build
    INSTALL_DIR ${snappy_install}
    DOWNLOAD_COMMAND ${CMAKE_SOURCE_DIR}/scripts/fetch-debian-source.sh snappy <SOURCE_DIR> ${snappy_root}
    UPDATE_COMMAND ""
    CMAKE_GENERATOR "Unix Makefiles"
    CMAKE_ARGS
        -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
        -DCMAKE_BUILD_TYPE=Release
        -DBUILD_SHARED_LIBS=OFF
        -DSNAPPY_BUILD_TESTS=OFF
        -DSNAPPY_BUILD_BENCHMARKS=OFF
        -DSNAPPY_INSTALL=OFF
        -DCMAKE_CXX_FLAGS=-w
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target snappy --parallel ${leveldb_jobs}
    INSTALL_COMMAND ${CMAKE_COMMAND} -E make_directory <INSTALL_DIR>/include <INSTALL_DIR>/lib
    COMMAND ${CMAKE_COMMAND} -E copy <SOURCE_DIR>/snappy.h <SOURCE_DIR>/snappy-sinksource.h <SOURCE_DIR>/snappy-c.h
            <BINARY_DIR>/snappy-stubs-public.h <INSTALL_DIR>/include
    COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/libsnappy.a <INSTALL_DIR>/lib
    BUILD_BYPRODUCTS ${snappy_library}
    LOG_DOWNLOAD OFF
    LOG_CONFIGURE ON
    LOG_BUILD ON
    LOG_INSTALL ON
    LOG_OUTPUT_ON_FAILURE ON)

set(leveldb_root ${CMAKE_BINARY_DIR}/deps/leveldb)
set(leveldb_install ${leveldb_root}/install)
set(leveldb_library ${leveldb_install}/lib/libleveldb.a)
ExternalProject_Add(leveldb_source
    PREFIX ${leveldb_root}
    SOURCE_DIR ${leveldb_root}/source
    BINARY_DIR ${leveldb_root}/build
    INSTALL_DIR ${leveldb_install}
    DEPENDS snappy_source
    DOWNLOAD_COMMAND ${CMAKE_SOURCE_DIR}/scripts/fetch-debian-source.sh leveldb <SOURCE_DIR> ${leveldb_root}
    UPDATE_COMMAND ""
    CMAKE_GENERATOR "Unix Makefiles"
    CMAKE_ARGS
        -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
        -DCMAKE_BUILD_TYPE=Release
        -DBUILD_SHARED_LIBS=OFF
        -DLEVELDB_BUILD_TESTS=OFF
        -DLEVELDB_BUILD_BENCHMARKS=OFF
        -DLEVELDB_INSTALL=OFF
        -DHAVE_SNAPPY=ON
    CMAKE_CACHE_ARGS
        "-DCMAKE_CXX_FLAGS:STRING=-w -I${snappy_install}/include"
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target leveldb --parallel ${leveldb_jobs}
    INSTALL_COMMAND ${CMAKE_COMMAND} -E make_directory <INSTALL_DIR>/include/leveldb <INSTALL_DIR>/lib
    COMMAND ${CMAKE_COMMAND} -E copy_directory <SOURCE_DIR>/include/leveldb <INSTALL_DIR>/include/leveldb
    COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/libleveldb.a <INSTALL_DIR>/lib
    BUILD_BYPRODUCTS ${leveldb_library}
    LOG_DOWNLOAD OFF
    LOG_CONFIGURE ON
    LOG_BUILD ON
    LOG_INSTALL ON
    LOG_OUTPUT_ON_FAILURE ON)

# The include folder must exist when the build is generated.
file(MAKE_DIRECTORY ${leveldb_install}/include)
add_library(purgelet_snappy_built STATIC IMPORTED GLOBAL)
set_target_properties(purgelet_snappy_built PROPERTIES IMPORTED_LOCATION ${snappy_library})
add_dependencies(purgelet_snappy_built snappy_source)
add_library(purgelet_leveldb_built STATIC IMPORTED GLOBAL)
set_target_properties(purgelet_leveldb_built PROPERTIES
    IMPORTED_LOCATION ${leveldb_library}
    INTERFACE_INCLUDE_DIRECTORIES ${leveldb_install}/include
    INTERFACE_LINK_LIBRARIES purgelet_snappy_built)
add_dependencies(purgelet_leveldb_built leveldb_source)
target_link_libraries(purgelet_leveldb INTERFACE purgelet_leveldb_built)
