# The Public Suffix List, compiled into purgelet_core as a sorted table
# (<build>/generated/public_suffix_rules.h, read by src/core/PublicSuffix.cpp):
# a kept site may never be a name that many sites share, such as org or co.uk.
#
# Cross-building on Linux: the list is the public_suffix_list.dat of Debian's
# publicsuffix source package, fetched the way SQLite's is into
# <build>/deps/publicsuffix, once (scripts/fetch-public-suffix-list.sh, which
# falls back on the binary package of the same name, carrying the same file,
# where a mirror serves the source package's description but not its files).
# Elsewhere (a native Windows build, or PURGELET_PUBLIC_SUFFIX_LIST given):
# the public_suffix_list.dat named there, as publicsuffix.org publishes it.
#
# The table is written at build time by cmake/PublicSuffixTable.cmake, and
# again whenever the list or that script changes. Included after
# purgelet_core is declared.
set(PURGELET_PUBLIC_SUFFIX_LIST "" CACHE FILEPATH "A public_suffix_list.dat to use instead of Debian's source")

if(PURGELET_PUBLIC_SUFFIX_LIST OR NOT CMAKE_CROSSCOMPILING OR CMAKE_HOST_WIN32)
    if(NOT PURGELET_PUBLIC_SUFFIX_LIST)
        message(FATAL_ERROR "Name the Public Suffix List with -DPURGELET_PUBLIC_SUFFIX_LIST=.../public_suffix_list.dat")
    endif()
    set(public_suffix_list ${PURGELET_PUBLIC_SUFFIX_LIST})
else()
    include(ExternalProject)
    set(public_suffix_root ${CMAKE_BINARY_DIR}/deps/publicsuffix)
    set(public_suffix_list ${public_suffix_root}/public_suffix_list.dat)
    ExternalProject_Add(publicsuffix_source
        PREFIX ${public_suffix_root}
        DOWNLOAD_COMMAND ${CMAKE_SOURCE_DIR}/scripts/fetch-public-suffix-list.sh ${public_suffix_list} ${public_suffix_root}
        UPDATE_COMMAND ""
        CONFIGURE_COMMAND ""
        BUILD_COMMAND ""
        INSTALL_COMMAND ""
        BUILD_BYPRODUCTS ${public_suffix_list}
        LOG_DOWNLOAD OFF)
    add_dependencies(purgelet_core publicsuffix_source)
endif()

set(public_suffix_rules ${CMAKE_BINARY_DIR}/generated/public_suffix_rules.h)
add_custom_command(OUTPUT ${public_suffix_rules}
    COMMAND ${CMAKE_COMMAND} -DLIST=${public_suffix_list} -DOUTPUT=${public_suffix_rules}
            -P ${CMAKE_SOURCE_DIR}/cmake/PublicSuffixTable.cmake
    DEPENDS ${public_suffix_list} ${CMAKE_SOURCE_DIR}/cmake/PublicSuffixTable.cmake
    COMMENT "Writing the public suffix table"
    VERBATIM)
target_sources(purgelet_core PRIVATE ${public_suffix_rules})
target_include_directories(purgelet_core PRIVATE ${CMAKE_BINARY_DIR}/generated)
