; Installer and uninstaller of Ovk Purgelet for the current user: no
; administrator rights, the user's own programs folder, a Start menu shortcut
; and an entry in the user's list of installed programs.
;
; Made by the build's `dist` target (cmake/Release.cmake), which defines
; DEFINES (the generated defines.nsh, with the version, the publisher and the
; program's fixed texts), PROGRAM_EXE, COMMAND_EXE (the command-line
; companion), TASK_EXE (its windowless twin for scheduled tasks), HELP_FILE,
; ICON_FILE and OUTFILE.
;
; Both take /S (silent). The uninstaller hands over to a copy of itself and
; returns at once, unless started as "Uninstall.exe /S _?=<its folder>": then
; it does the work itself and its exit code is the outcome. Exit codes: 0 done, 1 cancelled by the user,
; 2 aborted, 3 Ovk Purgelet is running and was not closed (a silent run waits
; a few seconds for it to end first). Nothing is installed or removed unless
; the program is closed.

Unicode true
Target amd64-unicode

!include "${DEFINES}"
!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define PRODUCT_NAME "Ovk Purgelet"
!define PROGRAM "Purgelet.exe"
; The command-line companion: installed beside the program, no shortcut.
!define COMMAND "PurgeletCmd.exe"
; Its windowless twin for scheduled tasks: beside it, no shortcut. The
; uninstaller leaves a scheduled task that starts it alone (the user made it).
!define TASK "PurgeletTask.exe"
!define HELP "PurgeletHlp.htm"
!define UNINSTALLER "Uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Ovk Purgelet"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; The program's start-at-logon entry is named after its main window.
!define RUN_VALUE "Ovk Purgelet v${PRODUCT_VERSION}"
!define SHORTCUT "$SMPROGRAMS\Ovk Purgelet.lnk"
!define EXIT_PROGRAM_RUNNING 3
; A silent run waits this many half seconds for the program to end.
!define SILENT_WAIT_STEPS 10
; After the user's Retry the program gets this many half seconds to end.
!define RETRY_WAIT_STEPS 6
!define CLOSE_PROGRAM_TEXT "${PRODUCT_NAME} is running.$\n$\nPlease close it first: close its window, or, when it sits in the notification area, choose $\"Remove$\" from its icon's menu. Then press Retry."

Name "${PRODUCT_NAME} ${PRODUCT_VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Ovk Purgelet"
; An earlier installation is upgraded where it is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel user
SetCompressor /SOLID lzma
; A file that cannot be written stops the installation instead of being skipped.
AllowSkipFiles off
ManifestDPIAware true
BrandingText "${PRODUCT_NAME} ${PRODUCT_VERSION}"

VIProductVersion "${PRODUCT_VERSION_QUAD}"
VIFileVersion "${PRODUCT_VERSION_QUAD}"
VIAddVersionKey "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT_NAME} Setup"
VIAddVersionKey "FileVersion" "${PRODUCT_VERSION}"
VIAddVersionKey "ProductVersion" "${PRODUCT_VERSION}"
VIAddVersionKey "LegalCopyright" "(c) 2003-2005 ${PUBLISHER}"

!define MUI_ICON "${ICON_FILE}"
!define MUI_UNICON "${ICON_FILE}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PROGRAM}"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT_NAME}"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The program runs (also when only its tray icon shows) exactly while its
; single-instance mutex exists. $R0 = 1 when it runs, else 0.
!macro DEFINE_PROGRAM_RUNNING un
Function ${un}ProgramRunning
    Push $R8
    Push $R9
    ; SYNCHRONIZE access is enough to learn that the mutex exists.
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") p .R8 ?e'
    Pop $R9
    StrCpy $R0 0
    ${If} $R8 P<> 0
        System::Call 'kernel32::CloseHandle(p R8)'
        StrCpy $R0 1
    ${ElseIf} $R9 = 5
        ; ERROR_ACCESS_DENIED: it exists, held by someone we may not open it for.
        StrCpy $R0 1
    ${EndIf}
    Pop $R9
    Pop $R8
FunctionEnd
!macroend

; Waits until the program is closed: asks the user (Retry/Cancel), or, in a
; silent run, waits a few seconds. $R0 = 0 when it is closed, 1 when it
; still runs.
!macro DEFINE_WAIT_FOR_PROGRAM un
Function ${un}WaitForProgram
    Push $R1
    StrCpy $R1 0
    ${Do}
        Call ${un}ProgramRunning
        ${If} $R0 = 0
            ${ExitDo}
        ${EndIf}
        ${If} ${Silent}
            ${If} $R1 >= ${SILENT_WAIT_STEPS}
                ${ExitDo}
            ${EndIf}
            IntOp $R1 $R1 + 1
            Sleep 500
        ${ElseIf} $R1 > 0
            ; Still ending after the user's Retry.
            IntOp $R1 $R1 - 1
            Sleep 500
        ${Else}
            MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${CLOSE_PROGRAM_TEXT}" IDRETRY retry
            ${ExitDo}
            retry:
            StrCpy $R1 ${RETRY_WAIT_STEPS}
        ${EndIf}
    ${Loop}
    Pop $R1
FunctionEnd
!macroend

!insertmacro DEFINE_PROGRAM_RUNNING ""
!insertmacro DEFINE_PROGRAM_RUNNING "un."
!insertmacro DEFINE_WAIT_FOR_PROGRAM ""
!insertmacro DEFINE_WAIT_FOR_PROGRAM "un."

; Ends the run with EXIT_PROGRAM_RUNNING unless the program is closed; called
; before anything is written or removed.
!macro REQUIRE_PROGRAM_CLOSED un
    Call ${un}WaitForProgram
    ${If} $R0 = 1
        SetErrorLevel ${EXIT_PROGRAM_RUNNING}
        Quit
    ${EndIf}
!macroend

; The same inside the section, where the page shows why it stopped.
!macro REQUIRE_PROGRAM_CLOSED_IN_SECTION un
    Call ${un}WaitForProgram
    ${If} $R0 = 1
        SetErrorLevel ${EXIT_PROGRAM_RUNNING}
        Abort "${PRODUCT_NAME} is running: nothing was changed."
    ${EndIf}
!macroend

Function .onInit
    SetShellVarContext current
    !insertmacro REQUIRE_PROGRAM_CLOSED ""
FunctionEnd

Section "${PRODUCT_NAME}" SecProgram
    SectionIn RO
    ; The program may have been started while the pages were shown.
    !insertmacro REQUIRE_PROGRAM_CLOSED_IN_SECTION ""

    SetOutPath "$INSTDIR"
    SetOverwrite on
    File "/oname=${PROGRAM}" "${PROGRAM_EXE}"
    File "/oname=${COMMAND}" "${COMMAND_EXE}"
    File "/oname=${TASK}" "${TASK_EXE}"
    File "/oname=${HELP}" "${HELP_FILE}"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    CreateShortCut "${SHORTCUT}" "$INSTDIR\${PROGRAM}" "" "$INSTDIR\${PROGRAM}" 0

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${PRODUCT_VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM},0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    ; The silent form that waits until it is done and ends with its exit code.
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S _?=$INSTDIR'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ; In KB, counting only what was installed.
    ${GetSize} "$INSTDIR" "/M=${PROGRAM} /S=0K /G=0" $0 $1 $2
    ${GetSize} "$INSTDIR" "/M=${COMMAND} /S=0K /G=0" $1 $2 $3
    IntOp $0 $0 + $1
    ${GetSize} "$INSTDIR" "/M=${TASK} /S=0K /G=0" $1 $2 $3
    IntOp $0 $0 + $1
    ${GetSize} "$INSTDIR" "/M=${HELP} /S=0K /G=0" $1 $2 $3
    IntOp $0 $0 + $1
    ${GetSize} "$INSTDIR" "/M=${UNINSTALLER} /S=0K /G=0" $1 $2 $3
    IntOp $0 $0 + $1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; $0 = 1 when the start-at-logon entry's text (in $0, quoted or not) names a
; file directly inside the installation folder, else 0.
Function un.RunEntryIsOurs
    Push $1
    Push $2
    Push $3
    ; A quoted path ends at its closing quote.
    StrCpy $1 $0 1
    ${If} $1 == '"'
        StrCpy $0 $0 "" 1
        StrCpy $2 0
        ${Do}
            StrCpy $1 $0 1 $2
            ${If} $1 == '"'
            ${OrIf} $1 == ""
                ${ExitDo}
            ${EndIf}
            IntOp $2 $2 + 1
        ${Loop}
        StrCpy $0 $0 $2
    ${EndIf}
    ; The folder part must be the installation folder (compared without
    ; regard to case), and the rest a plain file name.
    StrLen $2 "$INSTDIR\"
    StrCpy $1 $0 $2
    StrCpy $3 $0 "" $2
    StrCpy $0 0
    ${If} $1 == "$INSTDIR\"
    ${AndIf} $3 != ""
        StrCpy $0 1
        StrCpy $1 $3 1
        ${If} $1 == "."
            StrCpy $0 0
        ${EndIf}
        StrCpy $2 0
        ${Do}
            StrCpy $1 $3 1 $2
            ${If} $1 == ""
                ${ExitDo}
            ${ElseIf} $1 == "\"
            ${OrIf} $1 == "/"
            ${OrIf} $1 == '"'
                StrCpy $0 0
                ${ExitDo}
            ${EndIf}
            IntOp $2 $2 + 1
        ${Loop}
    ${EndIf}
    Pop $3
    Pop $2
    Pop $1
FunctionEnd

Function un.onInit
    SetShellVarContext current
    !insertmacro REQUIRE_PROGRAM_CLOSED "un."
FunctionEnd

Section "Uninstall"
    !insertmacro REQUIRE_PROGRAM_CLOSED_IN_SECTION "un."

    ; The start-at-logon entry, only when it starts the program of this folder.
    ClearErrors
    ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${IfNot} ${Errors}
        Call un.RunEntryIsOurs
        ${If} $0 = 1
            DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
            ; The kept settings must not claim a start at logon that is gone:
            ; a later installation would start in the tray only.
            ClearErrors
            ReadRegStr $1 HKCU "${SETTINGS_KEY}" "RunOnStartup"
            ${IfNot} ${Errors}
                WriteRegStr HKCU "${SETTINGS_KEY}" "RunOnStartup" "0"
            ${EndIf}
        ${EndIf}
    ${EndIf}

    Delete "${SHORTCUT}"
    Delete "$INSTDIR\${PROGRAM}"
    Delete "$INSTDIR\${COMMAND}"
    Delete "$INSTDIR\${TASK}"
    Delete "$INSTDIR\${HELP}"
    Delete "$INSTDIR\${UNINSTALLER}"
    ; Only when nothing else is left in it; not while it is the current folder.
    SetOutPath "$TEMP"
    RMDir "$INSTDIR"
    ; Started in place (the waiting form, "_?=" naming this folder), the
    ; uninstaller may not remove its own file while it runs: a hidden command
    ; removes it, and then the folder if that is empty, once this run is over.
    ${If} $EXEDIR == $INSTDIR
    ${AndIf} ${FileExists} "$INSTDIR\*.*"
        ExecShell "" "$SYSDIR\cmd.exe" '/d /c "ping -n 3 127.0.0.1 >nul & del /f /q "$INSTDIR\${UNINSTALLER}" 2>nul & rmdir "$INSTDIR""' SW_HIDE
    ${EndIf}
    DeleteRegKey HKCU "${UNINSTALL_KEY}"

    MessageBox MB_YESNO|MB_ICONQUESTION "Remove ${PRODUCT_NAME}'s settings too (its options and window position)?" \
        /SD IDNO IDNO keep_settings
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    ; The two keys above it (the product's and the maker's) go only when
    ; nothing else is left in them.
    StrCpy $0 "${SETTINGS_KEY}"
    ${For} $1 1 2
        ${un.GetParent} "$0" $0
        ${If} $0 == ""
        ${OrIf} $0 == "Software"
            ${Break}
        ${EndIf}
        DeleteRegKey /ifnosubkeys /ifnovalues HKCU "$0"
    ${Next}
    keep_settings:
SectionEnd
