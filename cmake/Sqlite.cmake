# SQLite, as the static library `purgelet_sqlite`: the browsers' databases are
# read and changed through it.
#
# Cross-building on Linux: Debian's sqlite3 source package is fetched the way
# the JPEG library's is (scripts/fetch-debian-source.sh) and its own build
# makes the single-file amalgamation, sqlite3.c, with the host's compiler and
# tclsh; that file is then compiled for the target. Source, build and the
# amalgamation stay in <build>/deps/sqlite, so later builds neither fetch nor
# remake it.
# Elsewhere (a native Windows build, or PURGELET_SQLITE_AMALGAMATION given):
# the sqlite3.c found in that folder is compiled.
set(PURGELET_SQLITE_AMALGAMATION "" CACHE PATH "A folder holding sqlite3.c and sqlite3.h to use instead of Debian's source")

if(PURGELET_SQLITE_AMALGAMATION OR NOT CMAKE_CROSSCOMPILING OR CMAKE_HOST_WIN32)
    set(sqlite_amalgamation ${PURGELET_SQLITE_AMALGAMATION})
else()
    include(ExternalProject)
    set(sqlite_root ${CMAKE_BINARY_DIR}/deps/sqlite)
    set(sqlite_amalgamation ${sqlite_root}/amalgamation)
    ExternalProject_Add(sqlite_source
        PREFIX ${sqlite_root}
        SOURCE_DIR ${sqlite_root}/source
        BINARY_DIR ${sqlite_root}/build
        INSTALL_DIR ${sqlite_amalgamation}
        DOWNLOAD_COMMAND ${CMAKE_SOURCE_DIR}/scripts/fetch-debian-source.sh sqlite3 <SOURCE_DIR> ${sqlite_root}
        UPDATE_COMMAND ""
        # The host's own compiler builds the generators that make sqlite3.c.
        CONFIGURE_COMMAND ${CMAKE_COMMAND} -E env CC=cc <SOURCE_DIR>/configure --disable-tcl --disable-readline
        BUILD_COMMAND make sqlite3.c
        INSTALL_COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/sqlite3.c <BINARY_DIR>/sqlite3.h <INSTALL_DIR>
        BUILD_BYPRODUCTS ${sqlite_amalgamation}/sqlite3.c ${sqlite_amalgamation}/sqlite3.h
        LOG_DOWNLOAD OFF
        LOG_CONFIGURE ON
        LOG_BUILD ON
        LOG_INSTALL ON
        LOG_OUTPUT_ON_FAILURE ON)
    file(MAKE_DIRECTORY ${sqlite_amalgamation})
endif()

add_library(purgelet_sqlite STATIC ${sqlite_amalgamation}/sqlite3.c)
target_include_directories(purgelet_sqlite SYSTEM PUBLIC ${sqlite_amalgamation})
# No extensions loaded from files; foreign keys as each connection asks.
target_compile_definitions(purgelet_sqlite PRIVATE SQLITE_OMIT_LOAD_EXTENSION SQLITE_THREADSAFE=1 SQLITE_DQS=0)
target_compile_options(purgelet_sqlite PRIVATE -w)
if(TARGET sqlite_source)
    set_source_files_properties(${sqlite_amalgamation}/sqlite3.c PROPERTIES GENERATED TRUE)
    add_dependencies(purgelet_sqlite sqlite_source)
endif()
