# The program's version for the resources, and the two release packages.
#
# The project's VERSION is the only place the version is written: the version
# resource and the manifest get it through files generated here, and so do the
# installer and the package names.
#
# The target `dist` writes into <build>/dist:
#   Purgelet-<version>-setup.exe     the installer (installer/purgelet.nsi)
#   Purgelet-<version>-portable.zip  the program, its command-line companion
#                                    and its windowless twin, and its help file
# scripts/package.sh builds it and copies both out.

# The installer needs some of the program's fixed texts in plain form: the name
# of the single-instance mutex (to see that the program runs, tray only too),
# the settings key (which the uninstaller offers to remove) and the maker's
# name as the About box shows it (the publisher of the installer, the
# uninstall entry and the version resource). The program keeps them
# scrambled; they are read here from their one definition.
set(PURGELET_TEXTS_HEADER ${CMAKE_CURRENT_SOURCE_DIR}/src/core/Texts.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PURGELET_TEXTS_HEADER})
file(READ ${PURGELET_TEXTS_HEADER} _purgelet_texts)
set(PURGELET_TEXTS_MISSING "")
function(purgelet_plain_text name result)
    set(ws "[ \t\r\n]*")
    string(REGEX MATCH "[ \t]${name}${ws}=${ws}Scramble<[^>]*>${ws}\\(${ws}\"([^\"]*)\"" found "${_purgelet_texts}")
    set(text "${CMAKE_MATCH_1}")
    string(REPLACE "\\\\" "\\" text "${text}")
    if(NOT found OR text MATCHES "[$\"]")
        list(APPEND PURGELET_TEXTS_MISSING ${name})
        set(PURGELET_TEXTS_MISSING "${PURGELET_TEXTS_MISSING}" PARENT_SCOPE)
        set(text "")
    endif()
    set(${result} "${text}" PARENT_SCOPE)
endfunction()
purgelet_plain_text(MutexName PURGELET_MUTEX_NAME)
purgelet_plain_text(SettingsKey PURGELET_SETTINGS_KEY)
purgelet_plain_text(AboutMaker PURGELET_MAKER_LINE)
# "(c) 2003-2005 Ovk Software Studio" -> "Ovk Software Studio"
string(REGEX REPLACE "^\\(c\\)[ ]*[0-9-]+[ ]*" "" PURGELET_PUBLISHER "${PURGELET_MAKER_LINE}")
set(PURGELET_VERSION_QUAD ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
set(PURGELET_GENERATED ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/res/purgelet_version.h.in ${PURGELET_GENERATED}/purgelet_version.h @ONLY)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/res/purgelet.manifest.in ${PURGELET_GENERATED}/purgelet.manifest @ONLY)
# The resource compiler looks for included and named files along these folders.
target_include_directories(purgelet_core PUBLIC ${PURGELET_GENERATED})
set_source_files_properties(${PURGELET_RC} ${CMAKE_CURRENT_SOURCE_DIR}/res/purgeletcmd.rc
                            ${CMAKE_CURRENT_SOURCE_DIR}/res/purgelettask.rc PROPERTIES
    OBJECT_DEPENDS "${PURGELET_GENERATED}/purgelet_version.h;${PURGELET_GENERATED}/purgelet.manifest")

configure_file(${CMAKE_CURRENT_SOURCE_DIR}/installer/defines.nsh.in ${CMAKE_BINARY_DIR}/installer/defines.nsh @ONLY)

set(PURGELET_DIST_DIR ${CMAKE_BINARY_DIR}/dist)
set(PURGELET_SETUP ${PURGELET_DIST_DIR}/Purgelet-${PROJECT_VERSION}-setup.exe)
set(PURGELET_PORTABLE ${PURGELET_DIST_DIR}/Purgelet-${PROJECT_VERSION}-portable.zip)
set(PURGELET_NSI ${CMAKE_CURRENT_SOURCE_DIR}/installer/purgelet.nsi)
set(PURGELET_HELP_SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/res/${PURGELET_HELP_FILE})
find_program(PURGELET_MAKENSIS makensis)
find_program(PURGELET_ZIP zip)

if(PURGELET_TEXTS_MISSING)
    set(make_setup ${CMAKE_COMMAND} -E echo "No plain ${PURGELET_TEXTS_MISSING} found in src/core/Texts.h"
        COMMAND ${CMAKE_COMMAND} -E false)
elseif(NOT PURGELET_MAKENSIS)
    set(make_setup ${CMAKE_COMMAND} -E echo "makensis is missing: run scripts/deps.sh" COMMAND ${CMAKE_COMMAND} -E false)
else()
    set(make_setup ${PURGELET_MAKENSIS} -V2 -WX -INPUTCHARSET UTF8
        "-DDEFINES=${CMAKE_BINARY_DIR}/installer/defines.nsh"
        "-DPROGRAM_EXE=$<TARGET_FILE:Purgelet>"
        "-DCOMMAND_EXE=$<TARGET_FILE:PurgeletCmd>"
        "-DTASK_EXE=$<TARGET_FILE:PurgeletTask>"
        "-DHELP_FILE=${PURGELET_HELP_SOURCE}"
        "-DICON_FILE=${CMAKE_CURRENT_SOURCE_DIR}/res/purgelet.ico"
        "-DOUTFILE=${PURGELET_SETUP}"
        ${PURGELET_NSI})
endif()
if(NOT PURGELET_ZIP)
    set(make_zip ${CMAKE_COMMAND} -E echo "zip is missing: run scripts/deps.sh" COMMAND ${CMAKE_COMMAND} -E false)
else()
    set(make_zip ${PURGELET_ZIP} -q -j -X ${PURGELET_PORTABLE} $<TARGET_FILE:Purgelet> $<TARGET_FILE:PurgeletCmd>
        $<TARGET_FILE:PurgeletTask> ${PURGELET_HELP_SOURCE})
endif()

add_custom_command(OUTPUT ${PURGELET_SETUP}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PURGELET_DIST_DIR}
    COMMAND ${make_setup}
    DEPENDS Purgelet PurgeletCmd PurgeletTask ${PURGELET_NSI} ${CMAKE_BINARY_DIR}/installer/defines.nsh ${PURGELET_HELP_SOURCE}
            ${CMAKE_CURRENT_SOURCE_DIR}/res/purgelet.ico
    COMMENT "Installer ${PURGELET_SETUP}"
    VERBATIM)
# zip adds to an existing archive: start from none.
add_custom_command(OUTPUT ${PURGELET_PORTABLE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PURGELET_DIST_DIR}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${PURGELET_PORTABLE}
    COMMAND ${make_zip}
    DEPENDS Purgelet PurgeletCmd PurgeletTask ${PURGELET_HELP_SOURCE}
    COMMENT "Portable archive ${PURGELET_PORTABLE}"
    VERBATIM)
add_custom_target(dist DEPENDS ${PURGELET_SETUP} ${PURGELET_PORTABLE})
