; A real silent installer for the demonstration and the end-to-end tests:
; it installs one text file that names the application and its language,
; and registers itself under Uninstall as installers do (a 32-bit one in the
; registry's 32-bit view).
; makensis -DAPPNAME=Reader -DLANGUAGE=12 -DOUTFILE=out.exe -DTARGET=x86-unicode app.nsi
; (TARGET amd64-unicode for 64-bit Windows only)
Unicode true
Target ${TARGET}
Name "Quill demo ${APPNAME}"
OutFile "${OUTFILE}"
SilentInstall silent
RequestExecutionLevel user
InstallDir "C:\QuillDemo\${APPNAME}"

Section
  SetOutPath "$INSTDIR"
  FileOpen $0 "$INSTDIR\${APPNAME}-${LANGUAGE}.txt" w
  FileWrite $0 "${APPNAME} installed in language ${LANGUAGE}$\r$\n"
  FileClose $0
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quill demo ${APPNAME}" "DisplayName" "Quill demo ${APPNAME}"
SectionEnd
