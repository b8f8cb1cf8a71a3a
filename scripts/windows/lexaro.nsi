; The Lexaro installer, built by scripts/windows.sh with makensis:
;   makensis -DVERSION=1.00 -DSTAGE=<folder> -DFILES=<files.nsh> -DUNFILES=<unfiles.nsh>
;            -DASSOCIATIONS=<associations.nsh> -DLICENSE=<terms.txt> -DICON=<lexaro.ico>
;            -DOUTFILE=<setup.exe> lexaro.nsi
; STAGE holds what is installed: Lexaro.exe, its helper, and the libraries and plug-ins they load.
; FILES and UNFILES list them, one File and one Delete line each, so the uninstaller removes
; exactly what was installed and nothing of the user's. ASSOCIATIONS is the build's list of the
; file types Lexaro reads (made from formats/formats.tsv), for "Open with".
;
; It installs for the current user (no administrator rights) or, run with rights and /AllUsers,
; for everyone; silent with /S. It adds a Start-menu entry, an uninstaller, and Lexaro to "Open
; with" for the documents it reads.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define APP "Lexaro"
!define PROGID "Lexaro.Document"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lexaro"

Name "${APP}"
OutFile "${OUTFILE}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${APP}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${APP} installer"
VIAddVersionKey "LegalCopyright" "See LICENSE.txt"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_INSTALLMODE_INSTDIR "${APP}"
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallMode"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_MUI
!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Lexaro.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

!macro Extension EXT
  WriteRegStr SHCTX "Software\Classes\${EXT}\OpenWithProgids" "${PROGID}" ""
  WriteRegStr SHCTX "Software\Classes\Applications\Lexaro.exe\SupportedTypes" "${EXT}" ""
!macroend
!macro UnExtension EXT
  DeleteRegValue SHCTX "Software\Classes\${EXT}\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty SHCTX "Software\Classes\${EXT}\OpenWithProgids"
  DeleteRegKey /ifempty SHCTX "Software\Classes\${EXT}"
!macroend
!include "${ASSOCIATIONS}"

; A folder or key that holds other programs' entries too may not exist until this installer makes
; it: such a one is noted in the uninstall record, and the uninstaller removes it when it is empty.
!macro NoteKeyMade KEY VAR
  ClearErrors
  EnumRegKey $R9 SHCTX "${KEY}" 0
  ${If} ${Errors}
    StrCpy ${VAR} 1
  ${Else}
    StrCpy ${VAR} 0
  ${EndIf}
!macroend
!macro RemoveKeyIfMade KEY VAR
  ${If} ${VAR} == 1
    DeleteRegKey /ifempty SHCTX "${KEY}"
  ${EndIf}
!macroend

Section "Lexaro"
  ClearErrors
  ReadRegDWORD $2 SHCTX "${UNINSTALL_KEY}" "MadeApplicationsKey"
  ${If} ${Errors}
    ${GetParent} "$INSTDIR" $0
    StrCpy $1 ""
    ${IfNot} ${FileExists} "$0\*.*"
      StrCpy $1 "$0"
    ${EndIf}
    !insertmacro NoteKeyMade "Software\Classes\Applications" $2
    !insertmacro NoteKeyMade "Software\Microsoft\Windows\CurrentVersion\Uninstall" $3
    !insertmacro NoteKeyMade "Software\Classes" $4
  ${Else}
    ; installed over an earlier install: what that one made stands
    ReadRegStr $1 SHCTX "${UNINSTALL_KEY}" "MadeFolder"
    ReadRegDWORD $3 SHCTX "${UNINSTALL_KEY}" "MadeUninstallKey"
    ReadRegDWORD $4 SHCTX "${UNINSTALL_KEY}" "MadeClassesKey"
  ${EndIf}
  SetOutPath "$INSTDIR"
  !include "${FILES}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortCut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\Lexaro.exe"

  WriteRegStr SHCTX "Software\Classes\${PROGID}" "" "Document read with ${APP}"
  WriteRegStr SHCTX "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\Lexaro.exe,0"
  WriteRegStr SHCTX "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\Lexaro.exe" "%1"'
  WriteRegStr SHCTX "Software\Classes\Applications\Lexaro.exe\shell\open\command" "" '"$INSTDIR\Lexaro.exe" "%1"'
  !insertmacro AssociateExtensions

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Lexaro.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallMode" "$MultiUser.InstallMode"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "MadeFolder" "$1"
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "MadeApplicationsKey" $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "MadeUninstallKey" $3
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "MadeClassesKey" $4
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  ReadRegStr $1 SHCTX "${UNINSTALL_KEY}" "MadeFolder"
  ReadRegDWORD $2 SHCTX "${UNINSTALL_KEY}" "MadeApplicationsKey"
  ReadRegDWORD $3 SHCTX "${UNINSTALL_KEY}" "MadeUninstallKey"
  ReadRegDWORD $4 SHCTX "${UNINSTALL_KEY}" "MadeClassesKey"
  !include "${UNFILES}"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  ${If} $1 != ""
    RMDir "$1"
  ${EndIf}
  Delete "$SMPROGRAMS\${APP}.lnk"

  !insertmacro UnassociateExtensions
  DeleteRegKey SHCTX "Software\Classes\Applications\Lexaro.exe"
  DeleteRegKey SHCTX "Software\Classes\${PROGID}"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  !insertmacro RemoveKeyIfMade "Software\Classes\Applications" $2
  !insertmacro RemoveKeyIfMade "Software\Microsoft\Windows\CurrentVersion\Uninstall" $3
  !insertmacro RemoveKeyIfMade "Software\Classes" $4
SectionEnd
