; The Vostel installer, vostel-<version>-setup.exe, made by scripts/windows:
;   makensis -DVERSION=0.1.0 -DDIST=<folder with the programs> -DICON=<vostel.ico> -DOUTFILE=<setup.exe> vostel.nsi
; It installs for the current user only, without administrator rights, into
; %LOCALAPPDATA%\Programs\Vostel, with a Start-menu entry that starts Vostel in
; Documents\Vostel, where its library irdata.txt lives. The uninstaller takes
; away what was installed and never the library.
Unicode true
; The 64-bit stub, like the programs (and the only kind Debian's Wine runs).
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vostel"

Name "Vostel ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$LOCALAPPDATA\Programs\Vostel"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Vostel"
VIAddVersionKey /LANG=1033 "FileDescription" "Vostel ${VERSION} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Vostel"

Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Vostel"
  SetOutPath "$INSTDIR"
  File "${DIST}\vostel.exe"
  File "${DIST}\vostel-tool.exe"
  File "${DIST}\README.txt"
  File "${DIST}\LICENSE.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The library's home for menu users; the shortcut starts Vostel there
  ; (a shortcut's working folder is the output path when it is made).
  CreateDirectory "$DOCUMENTS\Vostel"
  SetOutPath "$DOCUMENTS\Vostel"
  CreateShortcut "$SMPROGRAMS\Vostel.lnk" "$INSTDIR\vostel.exe" "" "$INSTDIR\vostel.exe" 0 \
                 SW_SHOWNORMAL "" "Vostel: the infrared receiver's signals"
  SetOutPath "$INSTDIR"

  ; "Apps & features" of the current user.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Vostel"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Vostel"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vostel.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Only what the installer put in place; Documents\Vostel and its library stay.
Section "Uninstall"
  Delete "$SMPROGRAMS\Vostel.lnk"
  Delete "$INSTDIR\vostel.exe"
  Delete "$INSTDIR\vostel-tool.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
