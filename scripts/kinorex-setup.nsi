; The Windows installer, built by scripts/package-windows:
;   makensis -DVERSION=1.0.0 -DLISTS=<folder> -DOUTFILE=<setup.exe> kinorex-setup.nsi
; where LISTS holds install_files.nsh and uninstall_files.nsh, the File and Delete lines
; for the package's files. It installs them into Program Files\Kinorex, adds a Start-menu
; shortcut for the dialog and registers an uninstaller with Windows.
; "/S" on the command line installs or uninstalls silently.
; A 64-bit installer for a 64-bit program; it also runs where no 32-bit layer is installed.
Target amd64-unicode
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kinorex"

Name "Kinorex ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Kinorex"
RequestExecutionLevel admin

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; A 64-bit program: its files and its registry entries in the 64-bit views.
Function .onInit
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Kinorex"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  !include "${LISTS}/install_files.nsh"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Kinorex.lnk" "$INSTDIR\kinorex.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Kinorex"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Kinorex"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kinorex.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes exactly what was installed: a folder chosen by the user may hold other files.
Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Kinorex.lnk"
  !include "${LISTS}/uninstall_files.nsh"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
