; Tessaly's Windows installer, built by scripts/package.sh with Debian's makensis:
;   makensis -DVERSION=4.2.0 -DSTAGE=<folder with the files> -DOUTFILE=<setup.exe> [-DICON=<.ico>] tessaly.nsi
; Per-user: no administrator rights; the program folder must be writable
; because Tessaly writes its placefile korvel.txt there.

; A 64-bit installer for the 64-bit program; it also runs where only 64-bit
; Wine is installed (Debian's wine64 without the i386 wine32).
Target amd64-unicode
SetCompressor /SOLID lzma

!ifndef VERSION
  !error "VERSION is not defined (-DVERSION=x.y.z)"
!endif
!ifndef STAGE
  !error "STAGE is not defined (-DSTAGE=folder holding Tessaly.exe, stormtrack.png, alert.wav, README.txt, tessaly-places.exe)"
!endif
!ifndef OUTFILE
  !define OUTFILE "Tessaly-${VERSION}-win64-setup.exe"
!endif

!define APP "Tessaly"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"
; The program's settings live under
;   HKCU\Software\VB and VBA Program Settings\Tessaly\Korvel3
; and nothing here touches them, so a reinstall finds them again.

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${APP}"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show
!ifdef ICON
  Icon "${ICON}"
  UninstallIcon "${ICON}"
!endif

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${APP}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${APP} ${VERSION} setup"
VIAddVersionKey "LegalCopyright" ""

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  ; Per-user locations ($SMPROGRAMS, $LOCALAPPDATA) even where the user is an administrator.
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Tessaly" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}/Tessaly.exe"
  File "${STAGE}/stormtrack.png"
  File "${STAGE}/alert.wav"
  File "${STAGE}/README.txt"
  File "${STAGE}/tessaly-places.exe"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortCut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\Tessaly.exe" "" "$INSTDIR\Tessaly.exe" 0

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Tessaly.exe"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
  SectionGetSize ${SecMain} $0
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  ; Only what the installer put there plus the placefile the program writes;
  ; the folder goes only if nothing else is left in it.
  Delete "$INSTDIR\Tessaly.exe"
  Delete "$INSTDIR\stormtrack.png"
  Delete "$INSTDIR\alert.wav"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\tessaly-places.exe"
  Delete "$INSTDIR\korvel.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${APP}.lnk"
  DeleteRegKey HKCU "${UNINST_KEY}"
SectionEnd
