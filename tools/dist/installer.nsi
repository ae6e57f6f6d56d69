; The per-user installer: no administrator rights, the program under the
; user's own programs folder, a Start-menu shortcut and an entry in the
; user's list of installed programs. Built by tools/make-dist, which gives
; VERSION, STAGE (the folder of the files) and OUT.
Unicode true
; A 64-bit installer for a 64-bit program (and for Wine without its 32-bit part).
Target amd64-unicode
SetCompressor /SOLID lzma
SetDateSave off
RequestExecutionLevel user

!define PRODUCT "Vantorel"
!define PUBLISHER "Quorvex"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantorel"
!define SETTINGS_KEY "Software\Quorvex\Larkspan\Vantorel"
!define CLSID "{6B0D3F52-9C1E-4E7A-8F3B-2A5C7D9E1F40}"
!define PROGID "Vantorel.Application"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUT}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
ShowUninstDetails nevershow

Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

!include "LogicLib.nsh"

; The running program holds its single-instance mutex: it is closed first.
!macro WaitWhileRunning un
Function ${un}WaitWhileRunning
    ${Do}
        System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${PRODUCT}") p .r0'
        ${If} $0 P= 0
            ${Break}
        ${EndIf}
        System::Call 'kernel32::CloseHandle(p r0)'
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
            "${PRODUCT} is running. Close it and press Retry." /SD IDCANCEL IDRETRY +3
        SetErrorLevel 3
        Quit
    ${Loop}
FunctionEnd
!macroend
!insertmacro WaitWhileRunning ""
!insertmacro WaitWhileRunning "un."

Function .onInit
    Call WaitWhileRunning
FunctionEnd

Section "${PRODUCT}" Program
    SectionIn RO
    ClearErrors
    CreateDirectory "$INSTDIR"
    FileOpen $0 "$INSTDIR\write.test" w
    ${If} ${Errors}
        MessageBox MB_OK|MB_ICONSTOP "The folder $INSTDIR cannot be written." /SD IDOK
        SetErrorLevel 2
        Quit
    ${EndIf}
    FileClose $0
    Delete "$INSTDIR\write.test"
    SetOutPath "$INSTDIR"
    File "${STAGE}\Vantorel.exe"
    File "${STAGE}\vantorel-cli.exe"
    File "${STAGE}\README.txt"
    File "${STAGE}\LICENSE.txt"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    ; A profile's Start-menu folder may not be made yet (a new account, a
    ; new Wine prefix): the shortcut needs it.
    CreateDirectory "$SMPROGRAMS"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Vantorel.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vantorel.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "English texts" English
    SetOutPath "$INSTDIR"
    File "${STAGE}\Vantorel.en.dll"
SectionEnd

; The size the list of installed programs shows, in KB.
Section "-Size"
    SectionGetSize ${Program} $0
    SectionGetSize ${English} $1
    IntOp $0 $0 + $1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; What the program registered for itself goes only when it points here.
Function un.RemoveRegistrations
    ReadRegStr $0 HKCU "Software\Classes\CLSID\${CLSID}\LocalServer32" ""
    ${If} $0 == '"$INSTDIR\Vantorel.exe" /Automation'
        DeleteRegKey HKCU "Software\Classes\CLSID\${CLSID}"
        DeleteRegKey HKCU "Software\Classes\${PROGID}"
        ReadRegStr $1 HKCU "Software\Classes\.rpt" ""
        ${If} $1 == "${PROGID}"
            DeleteRegKey HKCU "Software\Classes\.rpt"
        ${EndIf}
    ${EndIf}
    ReadRegStr $0 HKCU "${RUN_KEY}" "${PRODUCT}"
    ${If} $0 == "$INSTDIR\Vantorel.exe"
        DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
    ${EndIf}
FunctionEnd

Function un.onInit
    Call un.WaitWhileRunning
FunctionEnd

Section "Uninstall"
    Call un.RemoveRegistrations
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
        "Remove the settings of ${PRODUCT} as well?" /SD IDNO IDNO keep
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Quorvex\Larkspan"
    DeleteRegKey /ifempty HKCU "Software\Quorvex"
keep:
    Delete "$INSTDIR\Vantorel.exe"
    Delete "$INSTDIR\vantorel-cli.exe"
    Delete "$INSTDIR\Vantorel.en.dll"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
