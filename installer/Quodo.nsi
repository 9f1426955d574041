; The installer of Quodo: puts Quodo.exe, its help file and its fallback chart picture into
; Program Files, with an uninstaller and its entry in Add/Remove Programs.
;
; Built by the Windows build (installer/CMakeLists.txt) with makensis, which defines:
;   VERSION        the version number, such as 1.06
;   VERSION_MAJOR  its number before the point (1), VERSION_MINOR the one after it (6)
;   PAYLOAD        the folder that holds Quodo.exe, Quodo.chm and ErrorGraph.png
;   ICON           the program's icon (assets/Quodo.ico)
;   OUTFILE        the installer to write, such as site/Quodo106.exe
;   SIGN           (only when the build signs) the command that signs a file in place, "%1"
;                  standing for its name
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
; try again).
;
; The user is never left without a program. The new files are first written beside the old ones
; (Quodo.exe.new, ...), so that a failed write (a full disk) leaves the installation as it was.
; Then each is swapped in: the old file is renamed aside (Quodo.exe.old), the new one renamed into
; its place, and when that fails the old one is renamed back. The program goes first; the help
; file and the picture follow only once the new program is in place, and a swap that fails puts
; back every file swapped before it. A failed swap ends the installer with exit code 2 as well.
;
; Only one installer or uninstaller of Quodo runs at a time: one started while another runs does
; nothing and ends with exit code 3 (when not silent, it says so first).

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin
AllowSkipFiles off  ; a file that cannot be written stops the installation (in silent mode too)
; No file times are stored, so that two builds of one source give the same installer; installed
; files take the time they are written.
SetDateSave off

; The uninstaller is signed as it is made, before the installer packs it (so the Uninstall.exe the
; installer writes carries its signature), and the installer once it is finished.
!ifdef SIGN
  !uninstfinalize '${SIGN}' = 0
  !finalize '${SIGN}' = 0
!endif

!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define PRODUCT "Quodo"
!define PUBLISHER "QuodoSoft"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define UNINSTALLER "Uninstall.exe"
!define DEFAULT_WAIT_SECONDS 30
!define SETUP_MUTEX "QuodoSetup"  ; held by the installer or uninstaller that runs
!define ALREADY_RUNNING_EXIT_CODE 3

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
LangString NotSwappedText ${LANG_DUTCH} "${PRODUCT} is niet vervangen: een bestand kon niet worden vervangen."
LangString NotSwappedText ${LANG_ENGLISH} "${PRODUCT} has not been replaced: a file could not be replaced."
LangString AlreadyRunningText ${LANG_DUTCH} "Er wordt al een installatie van ${PRODUCT} uitgevoerd."
LangString AlreadyRunningText ${LANG_ENGLISH} "Another installation of ${PRODUCT} is already running."

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

; Ends this run at once, with its own exit code, while another installer or uninstaller of Quodo
; runs; otherwise holds the mutex that tells the next one so, until this run ends.
!macro RunAlone
  System::Call 'kernel32::CreateMutex(p 0, i 0, t "${SETUP_MUTEX}") p .r0 ?e'
  Pop $1  ; the system's last error
  ${If} $1 = 183  ; ERROR_ALREADY_EXISTS
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(AlreadyRunningText)" /SD IDOK
    SetErrorLevel ${ALREADY_RUNNING_EXIT_CODE}
    Quit
  ${EndIf}
!macroend

Function .onInit
  !insertmacro ReadCommandLine
  !insertmacro RunAlone
FunctionEnd

Function un.onInit
  !insertmacro ReadCommandLine
  !insertmacro RunAlone
FunctionEnd

; Writes a file of the payload beside the installed one, as NAME.new.
!macro Stage NAME
  Delete "$INSTDIR\${NAME}.new"
  File "/oname=${NAME}.new" "${PAYLOAD}/${NAME}"
!macroend

; Takes the file name from the stack and puts its staged copy (NAME.new) in its place; the old file
; is renamed aside to NAME.old first and renamed back when the new one cannot take its place.
; Leaves "swapped" or "kept" on the stack: kept means the file is as it was.
Function SwapIn
  Exch $0
  Delete "$INSTDIR\$0.old"  ; left by an earlier update whose old program still ran
  ClearErrors
  ${If} ${FileExists} "$INSTDIR\$0"
    Rename "$INSTDIR\$0" "$INSTDIR\$0.old"
  ${EndIf}
  ${IfNot} ${Errors}
    Rename "$INSTDIR\$0.new" "$INSTDIR\$0"
    ${IfNot} ${Errors}
      StrCpy $0 "swapped"
      Exch $0
      Return
    ${EndIf}
    ${If} ${FileExists} "$INSTDIR\$0.old"
      Rename "$INSTDIR\$0.old" "$INSTDIR\$0"
    ${EndIf}
  ${EndIf}
  StrCpy $0 "kept"
  Exch $0
FunctionEnd

; Takes the file name from the stack and undoes its swap: the new file goes back to NAME.new and
; the old one returns to its place.
Function SwapBack
  Exch $0
  ${If} ${FileExists} "$INSTDIR\$0.old"
    Delete "$INSTDIR\$0.new"
    ClearErrors
    Rename "$INSTDIR\$0" "$INSTDIR\$0.new"
    ${IfNot} ${Errors}
      Rename "$INSTDIR\$0.old" "$INSTDIR\$0"
    ${EndIf}
  ${EndIf}
  Pop $0
FunctionEnd

; Swaps the staged files in, the program first, so that the help file and the picture are
; replaced only once the new program is in place. When one cannot be swapped, the files swapped
; before it are swapped back. Leaves "swapped" or "kept" on the stack.
Function SwapInAll
  Push "${PRODUCT}.exe"
  Call SwapIn
  Pop $0
  StrCmp $0 "swapped" 0 kept
  Push "${PRODUCT}.chm"
  Call SwapIn
  Pop $0
  StrCmp $0 "swapped" 0 undo_program
  Push "ErrorGraph.png"
  Call SwapIn
  Pop $0
  StrCmp $0 "swapped" 0 undo_help
  Push "swapped"
  Return
  undo_help:
    Push "${PRODUCT}.chm"
    Call SwapBack
  undo_program:
    Push "${PRODUCT}.exe"
    Call SwapBack
  kept:
    Push "kept"
FunctionEnd

!macro RemoveWithSuffix SUFFIX
  Delete "$INSTDIR\${PRODUCT}.exe${SUFFIX}"
  Delete "$INSTDIR\${PRODUCT}.chm${SUFFIX}"
  Delete "$INSTDIR\ErrorGraph.png${SUFFIX}"
!macroend

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

  ; Every new file beside the old ones first: only whole files take the old ones' places.
  !insertmacro Stage "${PRODUCT}.exe"
  !insertmacro Stage "${PRODUCT}.chm"
  !insertmacro Stage "ErrorGraph.png"
  Call SwapInAll
  Pop $0
  ${If} $0 != "swapped"
    !insertmacro RemoveWithSuffix ".new"
    Abort "$(NotSwappedText)"
  ${EndIf}
  ; An old program that was started again since the wait still runs from its file: that one
  ; stays until the next update.
  !insertmacro RemoveWithSuffix ".old"

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

  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  !insertmacro RemoveWithSuffix ""
  !insertmacro RemoveWithSuffix ".new"
  !insertmacro RemoveWithSuffix ".old"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; The last step: whoever waits for the folder to go may take the rest as done.
  RMDir "$INSTDIR"  ; only when nothing else is left in it
SectionEnd
