# Two header-only libraries from Debian's packages: nlohmann-json (JSON, as
# target `purgelet_json`) and SimpleIni (INI files, as `purgelet_ini`).
# Cross-building, their headers are reached through a folder of their own
# inside the build folder, so that the cross compiler never searches the
# rest of the host's /usr/include.
add_library(purgelet_json INTERFACE)
add_library(purgelet_ini INTERFACE)
set(PURGELET_HOST_INCLUDE "/usr/include" CACHE PATH "The folder that holds nlohmann/json.hpp and SimpleIni.h")

if(NOT CMAKE_CROSSCOMPILING OR CMAKE_HOST_WIN32)
    find_package(nlohmann_json 3 REQUIRED)
    target_link_libraries(purgelet_json INTERFACE nlohmann_json::nlohmann_json)
    find_path(PURGELET_SIMPLEINI_INCLUDE SimpleIni.h REQUIRED)
    target_include_directories(purgelet_ini INTERFACE ${PURGELET_SIMPLEINI_INCLUDE})
    return()
endif()

set(headers ${CMAKE_BINARY_DIR}/deps/header-libraries)
file(MAKE_DIRECTORY ${headers})
foreach(entry nlohmann SimpleIni.h)
    if(NOT EXISTS ${PURGELET_HOST_INCLUDE}/${entry})
        message(FATAL_ERROR "${entry} not found in ${PURGELET_HOST_INCLUDE}: install nlohmann-json3-dev and libsimpleini-dev")
    endif()
    file(CREATE_LINK ${PURGELET_HOST_INCLUDE}/${entry} ${headers}/${entry} SYMBOLIC)
endforeach()
target_include_directories(purgelet_json SYSTEM INTERFACE ${headers})
target_include_directories(purgelet_ini SYSTEM INTERFACE ${headers})
