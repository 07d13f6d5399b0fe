; The setup program: makensis -DVERSION=… -DSTAGE=<folder of moriva.exe> -DOUTFILE=…
; -DFILELIST=<Delete and RMDir lines for every staged file and folder, deepest first>
; It installs that folder into Program Files\Moriva, adds "Moriva" to the Start menu and
; registers an uninstaller. The farmer's data lives in Documents\Moriva and is never
; touched, by the setup or by the uninstaller.
; A 64-bit setup for a 64-bit program: it also runs where no 32-bit layer is installed.
Target amd64-unicode
!include "MUI2.nsh"
!include "x64.nsh"

Name "Moriva"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Moriva"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Moriva"

!define MUI_ICON "${STAGE}\moriva.ico"
!define MUI_UNICON "${STAGE}\moriva.ico"
!insertmacro MUI_PAGE_LICENSE "${STAGE}\license.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "Moriva"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "Moriva セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "Moriva"

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "Moriva は 64 ビット版の Windows で動きます。"
    Abort
  ${EndIf}
  SetRegView 64
FunctionEnd

Section "Moriva"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  ; A reinstall replaces the program's own files only.
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Moriva.lnk" "$INSTDIR\moriva.exe" "--documents" "$INSTDIR\moriva.ico" 0
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Moriva"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Moriva"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\moriva.ico"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Moriva.lnk"
  ; Exactly the files the setup installed, then the folders they leave empty: a folder
  ; chosen by hand may hold other things, and the year files in Documents\Moriva stay.
  !include "${FILELIST}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
