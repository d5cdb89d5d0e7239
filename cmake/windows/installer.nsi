; Mensuro's installer for 64-bit Windows, built by scripts/package-windows.sh, which defines:
;   STAGE_DIR        the stage folder the files come from
;   VERSION          the project's version (1.0.0.3), FILE_VERSION the same in four numbers
;   ICON             the program's .ico
;   OUTFILE          the setup to write
;   INSTALL_FILES    generated from the stage: SetOutPath and File lines, parents first
;   UNINSTALL_FILES  generated from the stage: the matching Delete and RMDir lines
; Command line: /S silent; /PATH puts the command line on the machine PATH (ticks it in the
; window); /D=FOLDER the install folder. The uninstaller's /UPGRADE is for the next installer.

Unicode true
; The x86 stub can't see the 64-bit Program Files and registry and, under a 64-bit-only Wine,
; exits 0 having installed nothing.
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh
!include WinMessages.nsh

!define PRODUCT "Mensuro"
!define PUBLISHER "Mensuro project"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define ENVIRONMENT_KEY "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
; What the window keeps through QSettings.
!define SETTINGS_KEY "Software\${PRODUCT}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
; An upgrade goes where the last install went.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ShowInstDetails nevershow
ShowUninstDetails nevershow
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${FILE_VERSION}"
VIFileVersion "${FILE_VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "GPL-3.0-or-later"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; NSIS strings hold NSIS_MAX_STRLEN characters with the closing null. ReadRegStr gives "" and
; the error flag for a longer PATH; writing that back would wipe the user's PATH, so a PATH
; that can't be read whole, or would grow past the limit, is left as it is, with a word to the
; user.
!define PATH_LIMIT ${NSIS_MAX_STRLEN}
!define PATH_TOO_LONG "The PATH is longer than this setup can safely edit."

; Removes the first entry of a ;-separated list equal to an entry (case aside, with or without
; a trailing backslash), keeping the others, empty ones too, as they were.
;   Push LIST / Push ENTRY / Call [un.]PathWithout / Pop RESULT
!macro PATH_WITHOUT prefix
  Function ${prefix}PathWithout
    Exch $1 ; entry
    Exch
    Exch $0 ; list
    Push $2 ; result
    Push $3 ; current item
    Push $4 ; index
    Push $5 ; character
    Push $6 ; removed yet
    Push $7 ; items kept
    Push $8 ; this item matches
    StrCpy $2 ""
    StrCpy $3 ""
    StrCpy $4 0
    StrCpy $6 0
    StrCpy $7 0
    ${Do}
      StrCpy $5 $0 1 $4
      ${If} $5 == ";"
      ${OrIf} $5 == ""
        StrCpy $8 0
        ${If} $3 != ""
          ${If} $3 == $1
          ${OrIf} $3 == "$1\"
            StrCpy $8 1
          ${EndIf}
        ${EndIf}
        ${If} $6 == 0
        ${AndIf} $8 == 1
          StrCpy $6 1
        ${Else}
          ${If} $7 == 0
            StrCpy $2 $3
          ${Else}
            StrCpy $2 "$2;$3"
          ${EndIf}
          IntOp $7 $7 + 1
        ${EndIf}
        StrCpy $3 ""
        ${IfThen} $5 == "" ${|} ${ExitDo} ${|}
      ${Else}
        StrCpy $3 "$3$5"
      ${EndIf}
      IntOp $4 $4 + 1
    ${Loop}
    StrCpy $0 $2
    Pop $8
    Pop $7
    Pop $6
    Pop $5
    Pop $4
    Pop $3
    Pop $2
    Exch $0 ; the result for the caller, $0 as it was
    Exch
    Pop $1
  FunctionEnd
!macroend
!insertmacro PATH_WITHOUT ""
!insertmacro PATH_WITHOUT "un."

; Takes out of the machine PATH the entry an earlier install recorded that it added, and the
; record. Nothing else in PATH changes.
!macro REMOVE_PATH_ENTRY prefix
  Function ${prefix}RemovePathEntry
    Push $0
    Push $1
    Push $2
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "PathEntry"
    ${If} $0 != ""
      ClearErrors
      ReadRegStr $1 HKLM "${ENVIRONMENT_KEY}" "Path"
      ${If} ${Errors}
        MessageBox MB_OK|MB_ICONEXCLAMATION \
            "${PATH_TOO_LONG}$\nPlease remove $0 from it yourself." /SD IDOK
      ${Else}
        Push $1
        Push $0
        Call ${prefix}PathWithout
        Pop $2
        ${If} $2 != $1
          WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" $2
          SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
        ${EndIf}
      ${EndIf}
      DeleteRegValue HKLM "${UNINSTALL_KEY}" "PathEntry"
    ${EndIf}
    Pop $2
    Pop $1
    Pop $0
  FunctionEnd
!macroend
!insertmacro REMOVE_PATH_ENTRY ""
!insertmacro REMOVE_PATH_ENTRY "un."

Section "${PRODUCT}" SecMain
  SectionIn RO
  ; An earlier install's own uninstaller takes away its files in place (/UPGRADE keeps the
  ; settings, the PATH entry and the uninstall key), so files a new version no longer has
  ; don't stay behind. _?= runs it where it is, and waits.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\Uninstall.exe"
    ExecWait '"$0\Uninstall.exe" /S /UPGRADE _?=$0' $1
    ${If} $1 != 0
      DetailPrint "The earlier version's uninstaller returned $1."
    ${EndIf}
    Delete "$0\Uninstall.exe"
    ; Gone if empty: this install may be going to another folder.
    RMDir "$0"
  ${EndIf}

  !include "${INSTALL_FILES}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\mensuro.exe" "" \
      "$INSTDIR\mensuro.exe" 0
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT} User Guide.lnk" "$INSTDIR\MensuroHelp.pdf"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\mensuro.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "https://www.mensuro.org"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "HelpLink" "mailto:help@mensuro.org"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; In KB, as the files take it: what makensis counted for this section.
  SectionGetSize ${SecMain} $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "Add the command line to the PATH" SecPath
  ; An entry from an install elsewhere goes first; the one for this folder is then added once.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "PathEntry"
  ${If} $0 != $INSTDIR
    Call RemovePathEntry
  ${EndIf}
  ClearErrors
  ReadRegStr $0 HKLM "${ENVIRONMENT_KEY}" "Path"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONEXCLAMATION \
        "${PATH_TOO_LONG}$\nPlease add $INSTDIR to it yourself." /SD IDOK
    Return
  ${EndIf}
  Push $0
  Push $INSTDIR
  Call PathWithout
  Pop $1
  ; Already there (by the user, or by the install this one upgrades): left as it is.
  ${If} $1 != $0
    Return
  ${EndIf}
  StrLen $1 $0
  StrLen $2 $INSTDIR
  IntOp $1 $1 + $2
  IntOp $1 $1 + 1 ; the ";"
  ${If} $1 >= ${PATH_LIMIT}
    MessageBox MB_OK|MB_ICONEXCLAMATION \
        "${PATH_TOO_LONG}$\nPlease add $INSTDIR to it yourself." /SD IDOK
    Return
  ${EndIf}
  StrCpy $1 $0 1 -1
  ${If} $0 == ""
    StrCpy $0 $INSTDIR
  ${ElseIf} $1 == ";"
    ; Keeps the closing ";" where it was, so taking the entry out restores the value exactly.
    StrCpy $0 "$0$INSTDIR;"
  ${Else}
    StrCpy $0 "$0;$INSTDIR"
  ${EndIf}
  ; Path is REG_EXPAND_SZ: its %SystemRoot% entries stay unexpanded.
  WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" $0
  WriteRegStr HKLM "${UNINSTALL_KEY}" "PathEntry" $INSTDIR
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
SectionEnd

; An upgrade that leaves the PATH option off takes away the entry the earlier install added.
Section "-PathOff"
  ${IfNot} ${SectionIsSelected} ${SecPath}
    Call RemovePathEntry
  ${EndIf}
SectionEnd

; After the sections, whose indices it uses.
Function .onInit
  ; 32-bit Windows refuses a 64-bit stub by itself; this says so plainly should the setup ever
  ; be built as x86.
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} needs 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
  SetShellVarContext all
  ; The PATH entry is on when asked for, or when the install being upgraded had it.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/PATH" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecPath}
  ${EndIf}
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "PathEntry"
  ${If} $1 != ""
    !insertmacro SelectSection ${SecPath}
  ${EndIf}
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Var Upgrading

Section "Uninstall"
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/UPGRADE" $1
  ${If} ${Errors}
    StrCpy $Upgrading 0
  ${Else}
    StrCpy $Upgrading 1
  ${EndIf}

  !include "${UNINSTALL_FILES}"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT} User Guide.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  ; For an upgrade the new installer writes all of this anew.
  ${If} $Upgrading == 0
    Call un.RemovePathEntry
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    Delete "$INSTDIR\Uninstall.exe"
    ; Only when empty: the folder may hold the user's own files too.
    RMDir "$INSTDIR"
  ${EndIf}
SectionEnd
