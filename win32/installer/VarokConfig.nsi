; The Windows installer, made by scripts/package-windows.sh with makensis:
;   makensis -DVERSION=1.0 -DSTAGE=<folder of the zip's files> -DICON=<.ico> -DOUTFILE=<setup.exe> VarokConfig.nsi
; A per-user install: no administrator is asked for. The editor goes into the user's programs
; folder, gets a Start-menu entry and opens .usr projects; the command-line tool only when the
; user ticks it. The uninstaller takes away everything the installer put anywhere.
Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh

!define PRODUCT "VarokConfig"
!define PROGID "VarokConfig.Project"
!define CLASSES "Software\Classes"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST): Explorer shows the projects' new icon at once.
!define ASSOCIATIONS_CHANGED "shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "Software\${PRODUCT}" "InstallDir"
BrandingText "${PRODUCT} ${VERSION}"
Icon "${ICON}"
UninstallIcon "${ICON}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\VarokConfig.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\Как начать.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"

Section "Редактор конфигурации" SectionEditor
    SectionIn RO
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    File "${STAGE}\VarokConfig.exe"
    File "${STAGE}\README.md"
    File "${STAGE}\Как начать.txt"
    File /r "${STAGE}\docs"
    SetOutPath "$INSTDIR\examples"
    File "${STAGE}\examples\Office-Building.usr"
    File "${STAGE}\examples\Office-Building.ini"
    SetOutPath "$INSTDIR"
    CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\VarokConfig.exe" "" "$INSTDIR\VarokConfig.exe" 0

    ; A project opens in the editor, whose icon it shows.
    WriteRegStr HKCU "${CLASSES}\.usr" "" "${PROGID}"
    WriteRegStr HKCU "${CLASSES}\${PROGID}" "" "Проект VarokConfig"
    WriteRegStr HKCU "${CLASSES}\${PROGID}\DefaultIcon" "" "$INSTDIR\VarokConfig.exe,0"
    WriteRegStr HKCU "${CLASSES}\${PROGID}\shell\open\command" "" '"$INSTDIR\VarokConfig.exe" "%1"'
    WriteRegStr HKCU "${CLASSES}\Applications\VarokConfig.exe\shell\open\command" "" \
        '"$INSTDIR\VarokConfig.exe" "%1"'
    System::Call "${ASSOCIATIONS_CHANGED}"

    WriteRegStr HKCU "Software\${PRODUCT}" "InstallDir" "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\VarokConfig.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Off unless ticked: the tool, and a Start-menu entry for a command prompt that finds it.
Section /o "Командная строка (varokconfig-cli)" SectionCommandLine
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    File "${STAGE}\varokconfig-cli.exe"
    CreateShortCut "$SMPROGRAMS\${PRODUCT} - командная строка.lnk" "$SYSDIR\cmd.exe" \
        '/k "set PATH=$INSTDIR;%PATH%&& varokconfig-cli --help"' "$INSTDIR\VarokConfig.exe" 0
SectionEnd

LangString DescriptionEditor ${LANG_RUSSIAN} "Редактор, пункт в меню «Пуск» и открытие проектов .usr."
LangString DescriptionCommandLine ${LANG_RUSSIAN} \
    "Программа varokconfig-cli для отчётов, сравнения, чтения и записи без окна."
!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SectionEditor} $(DescriptionEditor)
    !insertmacro MUI_DESCRIPTION_TEXT ${SectionCommandLine} $(DescriptionCommandLine)
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Section "Uninstall"
    SetShellVarContext current
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    Delete "$SMPROGRAMS\${PRODUCT} - командная строка.lnk"
    ; The association goes only while it is still the editor's: another program may have taken it.
    ReadRegStr $0 HKCU "${CLASSES}\.usr" ""
    ${If} $0 == "${PROGID}"
        DeleteRegKey HKCU "${CLASSES}\.usr"
    ${EndIf}
    DeleteRegKey HKCU "${CLASSES}\${PROGID}"
    DeleteRegKey HKCU "${CLASSES}\Applications\VarokConfig.exe"
    System::Call "${ASSOCIATIONS_CHANGED}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    DeleteRegKey HKCU "Software\${PRODUCT}"

    Delete "$INSTDIR\VarokConfig.exe"
    Delete "$INSTDIR\varokconfig-cli.exe"
    Delete "$INSTDIR\README.md"
    Delete "$INSTDIR\Как начать.txt"
    Delete "$INSTDIR\examples\Office-Building.usr"
    Delete "$INSTDIR\examples\Office-Building.ini"
    RMDir "$INSTDIR\examples"
    RMDir /r "$INSTDIR\docs"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
SectionEnd
