; The Windows setup program: installs the portable folder's files below
; Program Files (64-bit), a Start menu entry, the .QLM file type opened by
; Quillforge, and an uninstaller listed in Apps & features. Silent with /S,
; both ways. scripts/package-windows runs makensis with
;   -DVERSION=0.4 -DVERSION4=0.4.0.0 -DSTAGE=<the portable folder>
;   -DFILES=<install list> -DUNFILES=<uninstall list> -DICON=<quillforge.ico>
;   -DLICENSE=<LICENSE> -DOUTFILE=<quillforge-0.4-setup.exe>
; where the two lists name each file of the folder, so the uninstaller
; removes exactly what was installed.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin

!include "MUI2.nsh"

!define APP "Quillforge"
!define PROGID "Quillforge.Mod"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillforge"

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${APP}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${APP} ${VERSION}"

VIProductVersion "${VERSION4}"
VIAddVersionKey "ProductName" "${APP}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${APP} ${VERSION} setup"
VIAddVersionKey "LegalCopyright" "The Quillforge developers, MIT licence"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\quillforge.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${APP}"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Explorer reads file types anew only when told.
!define SHCNE_ASSOCCHANGED 0x08000000
!define SHCNF_IDLIST 0
!macro NotifyAssociations
  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i ${SHCNF_IDLIST}, p 0, p 0)'
!macroend

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Quillforge" SecMain
  SectionIn RO
  !include "${FILES}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\quillforge.exe" "" "$INSTDIR\quillforge.exe" 0

  ; .QLM opened by Quillforge, with its icon.
  WriteRegStr HKLM "Software\Classes\.QLM" "" "${PROGID}"
  WriteRegStr HKLM "Software\Classes\.QLM\OpenWithProgids" "${PROGID}" ""
  WriteRegStr HKLM "Software\Classes\${PROGID}" "" "Quillforge mod"
  WriteRegStr HKLM "Software\Classes\${PROGID}\DefaultIcon" "" '"$INSTDIR\quillforge.exe",0'
  WriteRegStr HKLM "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\quillforge.exe" "%1"'
  WriteRegStr HKLM "Software\Classes\Applications\quillforge.exe\SupportedTypes" ".QLM" ""
  WriteRegStr HKLM "Software\Classes\Applications\quillforge.exe\shell\open\command" "" '"$INSTDIR\quillforge.exe" "%1"'
  !insertmacro NotifyAssociations

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Quillforge developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\quillforge.exe",0'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize ${SecMain} $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  !include "${UNFILES}"
  Delete "$INSTDIR\uninstall.exe"
  ; The folder goes only when nothing else is left in it.
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${APP}.lnk"

  ; The file type only while it is still Quillforge's.
  ReadRegStr $0 HKLM "Software\Classes\.QLM" ""
  StrCmp $0 "${PROGID}" 0 +2
    DeleteRegValue HKLM "Software\Classes\.QLM" ""
  DeleteRegValue HKLM "Software\Classes\.QLM\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty HKLM "Software\Classes\.QLM\OpenWithProgids"
  DeleteRegKey /ifempty HKLM "Software\Classes\.QLM"
  DeleteRegKey HKLM "Software\Classes\${PROGID}"
  DeleteRegKey HKLM "Software\Classes\Applications\quillforge.exe"
  !insertmacro NotifyAssociations

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
