; The setup program: makensis -DVERSION=… -DSTAGE=<folder of moriva.exe> -DOUTFILE=…
; -DFILELIST=<Delete and RMDir lines for every staged file and folder, deepest first>
; It installs that folder into Program Files\Moriva (or the folder an earlier install
; chose, which an upgrade installs over), adds "Moriva" to the Start menu and registers an
; uninstaller. The farmer's data lives in Documents\Moriva and is never touched, by the
; setup or by the uninstaller. Neither runs while Moriva does: Windows keeps a running
; program's files, and a setup that skipped them would leave a mixed install.
; A 64-bit setup for a 64-bit program: it also runs where no 32-bit layer is installed.
Target amd64-unicode
!include "MUI2.nsh"
!include "x64.nsh"
!include "LogicLib.nsh"

Name "Moriva"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Moriva"
; The folder of the copy installed before, which the program also reads to know itself
; installed; /D= still wins.
InstallDirRegKey HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\Moriva" "InstallLocation"
BrandingText "Moriva ${VERSION}"
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

; A running Moriva holds these mutex names (app/main.cpp). Asking to create one that
; exists gives ERROR_ALREADY_EXISTS, or ERROR_ACCESS_DENIED when another user's copy made
; it. Silent, the setup ends with exit code 3 having written nothing; otherwise the farmer
; closes Moriva and retries, or cancels.
!macro MUTEX_HELD NAME
  System::Call 'kernel32::CreateMutexW(p 0, i 0, w "${NAME}") p .R0 ?e'
  Pop $R2
  System::Call 'kernel32::CloseHandle(p R0)'
  ${If} $R2 = 183
  ${OrIf} $R2 = 5
    StrCpy $R1 1
  ${EndIf}
!macroend
!macro WAIT_FOR_MORIVA UN
Function ${UN}waitForMoriva
  check:
  StrCpy $R1 0
  !insertmacro MUTEX_HELD "Local\Moriva"
  !insertmacro MUTEX_HELD "Global\Moriva"
  ${If} $R1 = 0
    Return
  ${EndIf}
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Moriva が起動しています。$\r$\nMoriva を終了してから [再試行] を押してください。" /SD IDCANCEL IDRETRY check
  SetErrorLevel 3
  Quit
FunctionEnd
!macroend
!insertmacro WAIT_FOR_MORIVA ""
!insertmacro WAIT_FOR_MORIVA "un."

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "Moriva は 64 ビット版の Windows で動きます。"
    Abort
  ${EndIf}
  SetRegView 64
  Call waitForMoriva
FunctionEnd

Section "Moriva"
  SetShellVarContext all
  Call waitForMoriva  ; it may have been started while the pages were shown
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
  Call un.waitForMoriva
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  ; The Start-menu entry and the Apps & Features entry are the copy's that registered
  ; last: an uninstaller of another copy leaves them alone.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    Delete "$SMPROGRAMS\Moriva.lnk"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${EndIf}
  ; Exactly the files the setup installed, then the folders they leave empty: a folder
  ; chosen by hand may hold other things, and the year files in Documents\Moriva stay.
  !include "${FILELIST}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
