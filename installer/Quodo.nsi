; The installer of Quodo: puts Quodo.exe, its help file and its fallback chart picture into the
; user's own programs folder (%LOCALAPPDATA%\Programs\Quodo), with an uninstaller, its entry in the
; user's part of Add/Remove Programs (HKCU) and a shortcut in the user's Start menu. Nothing it does
; needs elevation: it runs as the user who starts it, and so do the uninstaller and the program it
; starts. An install made by an older installer in Program Files is left as it is.
;
; The folder: by hand, the one chosen on the first page (the recorded or the default one offered).
; An update started from the program goes where the program runs, as the program passes its own
; folder (/D=, which NSIS takes only last and unquoted); should the user be unable to write that
; folder, into the default one. The Add/Remove Programs entry, the uninstaller and the shortcut
; belong to the installation the entry names: an update of a copy elsewhere leaves them alone,
; unless the entry's folder holds no program any more (moved or deleted by hand), when the entry
; moves to the copy.
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
;   /SP-      only the program's update check passes it (every version of the program starts the
;             installer so): the run is an update started from the program, which has ended so
;             that it can be replaced. When such a run ends, whatever its outcome, the installer
;             starts the installed Quodo.exe again; after a failed install it first leaves a note
;             that the program tells the user once (Software\Quodo\Update, src/update/InstallOutcome.h).
;   /D=PATH   the folder to install into (the program passes its own); last, without quotes.
;   anything else is ignored.
; Started by hand without /silent, its last page offers "Start Quodo".
;
; A running program cannot be overwritten, so the installer first waits until no program holds
; Quodo.exe, polling ten times a second. If it is still held when the wait is over, the installer
; changes nothing and ends with exit code 2 (when not silent, the user may first close Quodo and
; try again). The files are then replaced so that the install can be cut at any moment and leave a
; startable Quodo.exe (Swap.nsh); a file that cannot be replaced puts back every file replaced
; before it, and ends the installer with exit code 2 as well.
;
; Only one installer or uninstaller of Quodo runs per user at a time (RunAlone.nsh): one started
; while another runs does nothing and ends with exit code 3 (when not silent, it says so first); one
; started by the update first waits for the other as long as for the program, and when it gives up,
; it leaves the note and starts the program again all the same.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user
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

!addincludedir "${__FILEDIR__}"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "MUI2.nsh"

!define PRODUCT "Quodo"
!define PUBLISHER "QuodoSoft"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define UNINSTALLER "Uninstall.exe"
!define DEFAULT_WAIT_SECONDS 30
; The note a failed install started by the update leaves for the program, and its reasons.
!define INSTALL_NOTE_KEY "Software\${PRODUCT}\Update"
!define FAILED_UNKNOWN 0
!define FAILED_PROGRAM_RUNNING 1
!define FAILED_FILE_NOT_REPLACED 2
!define FAILED_ANOTHER_INSTALL_RUNNING 3

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PUBLISHER}"
ShowInstDetails show
ShowUninstDetails show

; ---- Pages and texts ----------------------------------------------------------------------------

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PRODUCT}.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Dutch"
!insertmacro MUI_LANGUAGE "English"

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
LangString FilesLeftText ${LANG_DUTCH} "${PRODUCT} is niet helemaal verwijderd: een bestand is nog in gebruik."
LangString FilesLeftText ${LANG_ENGLISH} "${PRODUCT} has not been removed completely: a file is still in use."
LangString NotSwappedText ${LANG_DUTCH} "${PRODUCT} is niet vervangen: een bestand kon niet worden vervangen."
LangString NotSwappedText ${LANG_ENGLISH} "${PRODUCT} has not been replaced: a file could not be replaced."
LangString MixedText ${LANG_DUTCH} \
  "${PRODUCT} is niet helemaal vervangen: een bestand kon niet worden teruggezet. Installeer opnieuw."
LangString MixedText ${LANG_ENGLISH} \
  "${PRODUCT} has not been replaced completely: a file could not be put back. Please install again."
LangString AlreadyRunningText ${LANG_DUTCH} "Er wordt al een installatie van ${PRODUCT} uitgevoerd."
LangString AlreadyRunningText ${LANG_ENGLISH} "Another installation of ${PRODUCT} is already running."
LangString NoLockText ${LANG_DUTCH} "De installatie van ${PRODUCT} kan niet worden gestart (geen vergrendeling)."
LangString NoLockText ${LANG_ENGLISH} "The installation of ${PRODUCT} cannot be started (no lock)."

VIProductVersion "${VERSION_MAJOR}.${VERSION_MINOR}.0.0"
VIFileVersion "${VERSION_MAJOR}.${VERSION_MINOR}.0.0"
VIAddVersionKey /LANG=${LANG_DUTCH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_DUTCH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_DUTCH} "FileDescription" "Installatie van ${PRODUCT} ${VERSION}"
VIAddVersionKey /LANG=${LANG_DUTCH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_DUTCH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_DUTCH} "LegalCopyright" "Copyright (C) ${PUBLISHER}"

; ---- Command line, one run at a time, the wait for the program ------------------------------

Var NoIcons
Var WaitTenths       ; the bound of the wait, in tenths of a second
Var StartedByUpdate  ; 1: the program's update check started this run
Var FailureReason    ; why the install failed, for the note
Var OwnsEntry        ; 1: this folder is the installation the Add/Remove Programs entry names

!include "RunAlone.nsh"
!include "Swap.nsh"

; Reads the command line: "/silent" makes the run silent; "/noicons", "/wait=N" and "/SP-" are kept.
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
  ClearErrors
  ${GetOptions} $R0 "/SP-" $R1
  ${IfNot} ${Errors}
    StrCpy $StartedByUpdate 1
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

Function WaitUntilProgramFree
  !insertmacro WaitUntilProgramFree StillRunningText
FunctionEnd

Function un.WaitUntilProgramFree
  !insertmacro WaitUntilProgramFree StillRunningUninstallText
FunctionEnd

; Ends a run that could not take the lock; ending .onInit so runs none of the closing callbacks.
!macro EndWithoutLock
  SetErrorLevel ${ALREADY_RUNNING_EXIT_CODE}
  Quit
!macroend

Function .onInit
  !insertmacro ReadCommandLine
  !insertmacro RunAlone
  ${If} $0 != "locked"
    ${If} $0 == "busy"
      StrCpy $FailureReason ${FAILED_ANOTHER_INSTALL_RUNNING}
    ${Else}
      StrCpy $FailureReason ${FAILED_UNKNOWN}
    ${EndIf}
    ; The program ended for this run: it comes back, and tells why nothing changed.
    Call LeaveFailureNote
    Call StartProgramAgain
    !insertmacro EndWithoutLock
  ${EndIf}
  Call ChooseFolder
  ${If} $StartedByUpdate == 1
    ; This run's outcome is the one the program will tell, not an older one's.
    DeleteRegValue HKCU "${INSTALL_NOTE_KEY}" "FailedVersion"
    DeleteRegValue HKCU "${INSTALL_NOTE_KEY}" "FailedReason"
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro ReadCommandLine
  !insertmacro RunAlone
  ${If} $0 != "locked"
    !insertmacro EndWithoutLock
  ${EndIf}
FunctionEnd

; A run of the update installs into the folder the program passed, if the user can write there (an
; old install in Program Files, say, cannot be): else into the default folder. A probe file that
; the system deletes as soon as it is closed tells.
Function ChooseFolder
  ${If} $StartedByUpdate != 1
    Return
  ${EndIf}
  System::Call 'kernel32::CreateFile(t "$INSTDIR\QuodoSetup.probe", i ${LOCK_ACCESS}, i 0, p 0, i ${LOCK_OPEN_ALWAYS}, i ${LOCK_DELETE_ON_CLOSE}, p 0) p .r0'
  ${If} $0 P= ${LOCK_NO_HANDLE}
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${PRODUCT}"
  ${Else}
    System::Call 'kernel32::CloseHandle(p r0)'
  ${EndIf}
FunctionEnd

; Whether this folder is the installation the entry names: there is no entry, it names this folder,
; or the folder it names holds no program any more. A run by hand installs where the user chose, and
; the entry goes with it.
Function DecideEntryOwner
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  StrCpy $OwnsEntry 1
  ${If} $StartedByUpdate == 1
  ${AndIf} $0 != ""
  ${AndIf} $0 != $INSTDIR
  ${AndIf} ${FileExists} "$0\${PRODUCT}.exe"
    StrCpy $OwnsEntry 0
  ${EndIf}
FunctionEnd

; ---- The install --------------------------------------------------------------------------------

Section "${PRODUCT}"
  SetShellVarContext current
  SetOutPath "$INSTDIR"

  Call WaitUntilProgramFree
  Pop $0
  ${If} $0 == "busy"
    StrCpy $FailureReason ${FAILED_PROGRAM_RUNNING}
    Abort "$(NotReplacedText)"
  ${EndIf}

  Call PutRightLeftovers
  Pop $1
  ; Every new file beside the old ones first: only whole files take the old ones' places.
  !insertmacro Stage "${PRODUCT}.exe"
  !insertmacro Stage "${PRODUCT}.chm"
  !insertmacro Stage "ErrorGraph.png"
  Call SwapInAll
  Pop $0
  ; A file that was missing before stays missing when nothing could be swapped: only its old copy
  ; is left, for the next run to put back.
  ${If} $0 == "kept"
  ${AndIf} $1 != "put right"
    StrCpy $0 "mixed"
  ${EndIf}
  ${If} $0 != "swapped"
    !insertmacro RemoveWithSuffix ".new"
    StrCpy $FailureReason ${FAILED_FILE_NOT_REPLACED}
    ${If} $0 == "mixed"
      Abort "$(MixedText)"  ; the next run puts the old copies right
    ${EndIf}
    !insertmacro RemoveWithSuffix ".old"
    Abort "$(NotSwappedText)"
  ${EndIf}
  ; An old program that was started again since the wait still runs from its old copy: that one
  ; stays until the next run.
  !insertmacro RemoveWithSuffix ".old"

  Call DecideEntryOwner
  ${If} $OwnsEntry != 1
    Return  ; a copy beside the recorded installation: its files only
  ${EndIf}
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  ${If} $NoIcons != 1
    CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${PRODUCT}.exe"
  ${EndIf}

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PRODUCT}.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; After an update started from the program: the installed program starts again, as this user, in
; its own folder, whether the install succeeded or not.
Function StartProgramAgain
  ${If} $StartedByUpdate == 1
  ${AndIf} ${FileExists} "$INSTDIR\${PRODUCT}.exe"
    SetOutPath "$INSTDIR"
    Exec '"$INSTDIR\${PRODUCT}.exe"'
  ${EndIf}
FunctionEnd

Function .onInstSuccess
  Call StartProgramAgain
FunctionEnd

; After a failed update started from the program: the note the program tells the user once.
Function LeaveFailureNote
  ${If} $StartedByUpdate == 1
    WriteRegStr HKCU "${INSTALL_NOTE_KEY}" "FailedVersion" "${VERSION}"
    WriteRegDWORD HKCU "${INSTALL_NOTE_KEY}" "FailedReason" $FailureReason
  ${EndIf}
FunctionEnd

Function .onInstFailed
  Call LeaveFailureNote
  Call StartProgramAgain
FunctionEnd

; ---- The uninstall ------------------------------------------------------------------------------

; Removes what the installer put down: the files first, and the shortcut and the entry only once they
; are gone, so that a program still running (or a file still in use) keeps its entry for another
; try. The user's settings (HKCU\Software\Quodo) and the data folder stay: they belong to the user,
; not to the installation.
Section "Uninstall"
  SetShellVarContext current
  Call un.WaitUntilProgramFree
  Pop $0
  ${If} $0 == "busy"
    Abort "$(NotRemovedText)"
  ${EndIf}

  !insertmacro RemoveWithSuffix ""
  !insertmacro RemoveWithSuffix ".new"
  !insertmacro RemoveWithSuffix ".part"
  !insertmacro RemoveWithSuffix ".old"
  ${If} ${FileExists} "$INSTDIR\${PRODUCT}.exe*"
  ${OrIf} ${FileExists} "$INSTDIR\${PRODUCT}.chm*"
  ${OrIf} ${FileExists} "$INSTDIR\ErrorGraph.png*"
    Abort "$(FilesLeftText)"  ; the uninstaller stays too, for the next try
  ${EndIf}
  Delete "$INSTDIR\${UNINSTALLER}"
  ${If} ${FileExists} "$INSTDIR\${UNINSTALLER}"
    Abort "$(FilesLeftText)"
  ${EndIf}

  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; The last step: whoever waits for the folder to go may take the rest as done.
  RMDir "$INSTDIR"  ; only when nothing else is left in it
SectionEnd
