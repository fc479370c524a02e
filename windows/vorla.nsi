; SPDX-License-Identifier: GPL-3.0-or-later
; Vorla's installer for Windows: per user, no administrator, a Start-menu shortcut and an entry
; in the user's list of programs. Made by tools/windows.sh:
;   makensis -DVERSION=1.5.0 -DFILES=<folder of vorla.exe, open.mp3, README.txt, COPYING.txt>
;            -DICON=<vorla.ico> -DOUTFILE=<vorla-1.5.0-setup.exe> windows/vorla.nsi
; Switches: /S installs or uninstalls silently; the uninstaller's /REMOVEDATA also removes the
; playlist, which it otherwise keeps.

Unicode true
; The default x86 stub does not run where only 64-bit Windows programs run, and says nothing.
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"

!define PRODUCT "Vorla"
!define CAPTION "Vorla音乐播放器"
!define PUBLISHER "Vorla developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vorla"
; How long a silent install waits for a running player to close, in half seconds.
!define SILENT_WAIT_ROUNDS 20

Name "${CAPTION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Vorla"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "${CAPTION} ${VERSION} setup"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "GPL-3.0-or-later"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\vorla.exe"
!define MUI_UNCOMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

; The first is the default where the system's language is neither.
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "English"

LangString CloseFirst ${LANG_SIMPCHINESE} "${CAPTION} 正在运行。请先关闭它，再点击“重试”。"
LangString CloseFirst ${LANG_ENGLISH} "${CAPTION} is running. Close it, then click Retry."
LangString StillRunning ${LANG_SIMPCHINESE} "${CAPTION} 仍在运行，未做任何更改。"
LangString StillRunning ${LANG_ENGLISH} "${CAPTION} is still running; nothing was changed."
LangString RemoveData ${LANG_SIMPCHINESE} "同时删除播放列表"
LangString RemoveData ${LANG_ENGLISH} "Also remove the playlist"

; Waits for a running player's window to go: asks the user, or waits a while when silent. The
; playlist is written as the player closes, so nothing is replaced under it.
!macro WaitForPlayer un
Function ${un}waitForPlayer
    StrCpy $1 0
    ${Do}
        FindWindow $0 "#32770" "${CAPTION}"
        ${If} $0 == 0
            Return
        ${EndIf}
        ${If} ${Silent}
            IntOp $1 $1 + 1
            ${If} $1 > ${SILENT_WAIT_ROUNDS}
                SetErrorLevel 2
                DetailPrint "$(StillRunning)"
                Quit
            ${EndIf}
            Sleep 500
        ${Else}
            MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(CloseFirst)" IDRETRY again
            SetErrorLevel 2
            Quit
            again:
        ${EndIf}
    ${Loop}
FunctionEnd
!macroend
!insertmacro WaitForPlayer ""
!insertmacro WaitForPlayer "un."

Function .onInit
    SetShellVarContext current
    Call waitForPlayer
FunctionEnd

Section "Vorla"
    SectionIn RO
    SetOutPath "$INSTDIR"
    File "${FILES}\vorla.exe"
    File "${FILES}\open.mp3"
    File "${FILES}\README.txt"
    File "${FILES}\COPYING.txt"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\vorla.exe" "" "$INSTDIR\vorla.exe" 0

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${CAPTION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vorla.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "un.Vorla"
    SectionIn RO
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    Delete "$INSTDIR\vorla.exe"
    Delete "$INSTDIR\open.mp3"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\COPYING.txt"
    Delete "$INSTDIR\uninstall.exe"
    ; Only an empty folder goes: whatever the user put there stays.
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

; Off unless asked for: the playlist is the user's.
Section /o "un.$(RemoveData)" RemoveDataSection
    Delete "$APPDATA\Vorla\savelist"
    Delete "$APPDATA\Vorla\savelist.vorla-*"
    RMDir "$APPDATA\Vorla"
SectionEnd

Function un.onInit
    SetShellVarContext current
    Call un.waitForPlayer
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/REMOVEDATA" $1
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${RemoveDataSection}
    ${EndIf}
FunctionEnd
