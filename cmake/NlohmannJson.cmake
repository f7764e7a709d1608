# JSON: the header-only nlohmann-json library (Debian's nlohmann-json3-dev),
# as target `purgelet_json`. Cross-building, its headers are reached through
# a folder of their own inside the build folder, so that the cross compiler
# never searches the rest of the host's /usr/include.
add_library(purgelet_json INTERFACE)
set(PURGELET_JSON_INCLUDE "/usr/include" CACHE PATH "The folder that holds nlohmann/json.hpp")

if(NOT CMAKE_CROSSCOMPILING OR CMAKE_HOST_WIN32)
    find_package(nlohmann_json 3 REQUIRED)
    target_link_libraries(purgelet_json INTERFACE nlohmann_json::nlohmann_json)
    return()
endif()

if(NOT EXISTS ${PURGELET_JSON_INCLUDE}/nlohmann/json.hpp)
    message(FATAL_ERROR "nlohmann/json.hpp not found below ${PURGELET_JSON_INCLUDE}: install nlohmann-json3-dev")
endif()
set(json_include ${CMAKE_BINARY_DIR}/deps/json-include)
file(MAKE_DIRECTORY ${json_include})
file(CREATE_LINK ${PURGELET_JSON_INCLUDE}/nlohmann ${json_include}/nlohmann SYMBOLIC)
target_include_directories(purgelet_json SYSTEM INTERFACE ${json_include})
