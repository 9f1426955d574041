; The installer of Quodo: puts Quodo.exe, its help file and its fallback chart picture into
; Program Files, with an uninstaller and its entry in Add/Remove Programs.
;
; Built by the Windows build (installer/CMakeLists.txt) with makensis, which defines:
;   VERSION        the version number, such as 1.06
;   VERSION_MAJOR  its number before the point (1), VERSION_MINOR the one after it (6)
;   PAYLOAD        the folder that holds Quodo.exe, Quodo.chm and ErrorGraph.png
;   ICON           the program's icon (assets/Quodo.ico)
;   OUTFILE        the installer to write, such as site/Quodo106.exe
;
; Command line: the program's update check starts it with "/SP- /silent /noicons".
;   /silent   installs without asking anything and without a window (NSIS's own /S does the same);
;   /noicons  makes no Start menu shortcut;
;   /wait=N   waits at most N seconds (default 30) for a running Quodo.exe to end;
;   anything else, /SP- included, is ignored.
;
; A running program cannot be overwritten, so the installer first waits until no program holds
; Quodo.exe, polling ten times a second. If it is still held when the wait is over, the installer
; changes nothing and ends with exit code 2 (when not silent, the user may first close Quodo and
; try again). The new Quodo.exe is written beside the old one and swapped in only when whole, so
; that a failed write (a full disk) leaves the old program as it was.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin
AllowSkipFiles off  ; a file that cannot be written stops the installation (in silent mode too)

!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define PRODUCT "Quodo"
!define PUBLISHER "QuodoSoft"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define UNINSTALLER "Uninstall.exe"
!define DEFAULT_WAIT_SECONDS 30

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
; An update goes where the program already is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PUBLISHER}"
ShowInstDetails show
ShowUninstDetails show

LoadLanguageFile "${NSISDIR}\Contrib\Language files\Dutch.nlf"
LoadLanguageFile "${NSISDIR}\Contrib\Language files\English.nlf"

!define CLOSE_FIRST_NL "Sluit ${PRODUCT} af en kies Opnieuw, of kies Annuleren om te stoppen."
!define CLOSE_FIRST_EN "Close ${PRODUCT} and choose Retry, or choose Cancel to stop."
LangString WaitingText ${LANG_DUTCH} "Wachten tot ${PRODUCT} is afgesloten..."
LangString WaitingText ${LANG_ENGLISH} "Waiting for ${PRODUCT} to close..."
LangString StillRunningText ${LANG_DUTCH} \
  "${PRODUCT} is nog actief en kan niet worden vervangen.$\r$\n$\r$\n${CLOSE_FIRST_NL}"
LangString StillRunningText ${LANG_ENGLISH} \
  "${PRODUCT} is still running and cannot be replaced.$\r$\n$\r$\n${CLOSE_FIRST_EN}"
LangString NotReplacedText ${LANG_DUTCH} "${PRODUCT} is niet vervangen: het programma is nog actief."
LangString NotReplacedText ${LANG_ENGLISH} "${PRODUCT} has not been replaced: the program is still running."
LangString StillRunningUninstallText ${LANG_DUTCH} \
  "${PRODUCT} is nog actief en kan niet worden verwijderd.$\r$\n$\r$\n${CLOSE_FIRST_NL}"
LangString StillRunningUninstallText ${LANG_ENGLISH} \
  "${PRODUCT} is still running and cannot be removed.$\r$\n$\r$\n${CLOSE_FIRST_EN}"
LangString NotRemovedText ${LANG_DUTCH} "${PRODUCT} is niet verwijderd: het programma is nog actief."
LangString NotRemovedText ${LANG_ENGLISH} "${PRODUCT} has not been removed: the program is still running."

VIProductVersion "${VERSION_MAJOR}.${VERSION_MINOR}.0.0"
VIFileVersion "${VERSION_MAJOR}.${VERSION_MINOR}.0.0"
VIAddVersionKey /LANG=${LANG_DUTCH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_DUTCH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_DUTCH} "FileDescription" "Installatie van ${PRODUCT} ${VERSION}"
VIAddVersionKey /LANG=${LANG_DUTCH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_DUTCH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_DUTCH} "LegalCopyright" "Copyright (C) ${PUBLISHER}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var NoIcons
Var WaitTenths  ; the bound of the wait, in tenths of a second

; Reads the command line: "/silent" makes the run silent, "/noicons" and "/wait=N" are kept.
!macro ReadCommandLine
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/silent" $R1
  ${IfNot} ${Errors}
    SetSilent silent
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/noicons" $R1
  ${IfNot} ${Errors}
    StrCpy $NoIcons 1
  ${EndIf}
  IntOp $WaitTenths ${DEFAULT_WAIT_SECONDS} * 10
  ClearErrors
  ${GetOptions} $R0 "/wait=" $R1
  ${IfNot} ${Errors}
    IntOp $R1 $R1 * 10  ; text that is no number counts as 0
    ${If} $R1 > 0
      StrCpy $WaitTenths $R1
    ${EndIf}
  ${EndIf}
!macroend

; Waits until no program holds Quodo.exe in the install folder, or until the bound has passed;
; STILL_RUNNING names the question asked then (unless silent). Leaves "free" or "busy" on the
; stack. A program that runs, or that has the file open without letting others write, makes
; opening it for writing fail; a missing file is free.
!macro WaitUntilProgramFree STILL_RUNNING
  Push $0
  Push $1
  StrCpy $1 0
  ${Do}
    ${IfNot} ${FileExists} "$INSTDIR\${PRODUCT}.exe"
      ${Break}
    ${EndIf}
    ClearErrors
    FileOpen $0 "$INSTDIR\${PRODUCT}.exe" a
    ${IfNot} ${Errors}
      FileClose $0
      ${Break}
    ${EndIf}
    ${If} $1 = 0
      DetailPrint "$(WaitingText)"
    ${EndIf}
    IntOp $1 $1 + 1
    ${If} $1 > $WaitTenths
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(${STILL_RUNNING})" /SD IDCANCEL IDRETRY wait_again
      StrCpy $1 "busy"
      ${Break}
      wait_again:
      StrCpy $1 0
    ${EndIf}
    Sleep 100
  ${Loop}
  ${If} $1 != "busy"
    StrCpy $1 "free"
  ${EndIf}
  Exch $1
  Exch
  Pop $0
!macroend

Function .onInit
  !insertmacro ReadCommandLine
FunctionEnd

Function un.onInit
  !insertmacro ReadCommandLine
FunctionEnd

Function WaitUntilProgramFree
  !insertmacro WaitUntilProgramFree StillRunningText
FunctionEnd

Function un.WaitUntilProgramFree
  !insertmacro WaitUntilProgramFree StillRunningUninstallText
FunctionEnd

Section "${PRODUCT}"
  SetShellVarContext all
  SetOutPath "$INSTDIR"

  Call WaitUntilProgramFree
  Pop $0
  ${If} $0 == "busy"
    Abort "$(NotReplacedText)"
  ${EndIf}

  File "${PAYLOAD}/${PRODUCT}.chm"
  File "${PAYLOAD}/ErrorGraph.png"
  ; The new program beside the old one first: only a whole file takes the old one's place.
  Delete "$INSTDIR\${PRODUCT}.exe.new"
  File "/oname=${PRODUCT}.exe.new" "${PAYLOAD}/${PRODUCT}.exe"
  Delete "$INSTDIR\${PRODUCT}.exe"
  ClearErrors
  Rename "$INSTDIR\${PRODUCT}.exe.new" "$INSTDIR\${PRODUCT}.exe"
  ${If} ${Errors}
    ; Started again since the wait: the old program stays.
    Delete "$INSTDIR\${PRODUCT}.exe.new"
    Abort "$(NotReplacedText)"
  ${EndIf}

  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  ${If} $NoIcons != 1
    CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${PRODUCT}.exe"
  ${EndIf}

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PRODUCT}.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Removes what the installer put down. The user's settings (HKCU\Software\Quodo) and the data
; folder stay: they belong to the user, not to the installation.
Section "Uninstall"
  SetShellVarContext all
  Call un.WaitUntilProgramFree
  Pop $0
  ${If} $0 == "busy"
    Abort "$(NotRemovedText)"
  ${EndIf}

  Delete "$INSTDIR\${PRODUCT}.exe"
  Delete "$INSTDIR\${PRODUCT}.chm"
  Delete "$INSTDIR\ErrorGraph.png"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"  ; only when nothing else is left in it
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
