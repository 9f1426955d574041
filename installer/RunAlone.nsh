; One installer or uninstaller of Quodo per user at a time, whatever the session: each run holds a
; lock file in the user's own local profile folder, %LOCALAPPDATA%\QuodoSetup.lock, opened with no
; sharing at all, for as long as it runs. Only the user (and the administrators) can make files
; there, so no other user of the computer can take the lock first and keep the user's installs
; out; the system lets go of the file, and deletes it, however the run ends. (A name in the global
; namespace, such as a mutex named after the user's SID, can be made first by anyone.)
;
; A run that cannot take it tries again every tenth of a second for up to its wait (/wait=N) when
; the program's update started it (/SP-: another run of the same user may be about to finish);
; any other run gives up at once.
;
; Needs the variables StartedByUpdate and WaitTenths, and the language strings AlreadyRunningText
; and NoLockText.

!define SETUP_LOCK_FILE "QuodoSetup.lock"
!define ALREADY_RUNNING_EXIT_CODE 3
!define ERROR_SHARING_VIOLATION 32
!define LOCK_ACCESS 0x40000000         ; GENERIC_WRITE
!define LOCK_OPEN_ALWAYS 4
!define LOCK_DELETE_ON_CLOSE 0x04000000
!define LOCK_NO_HANDLE -1              ; INVALID_HANDLE_VALUE

; One try at the lock: $0 is its handle, kept open until the run ends, or 0; $1 the system's error.
!macro TryToLock
  StrCpy $0 0
  StrCpy $1 0
  ${If} $LOCALAPPDATA != ""
    System::Call 'kernel32::CreateFile(t "$LOCALAPPDATA\${SETUP_LOCK_FILE}", i ${LOCK_ACCESS}, i 0, p 0, i ${LOCK_OPEN_ALWAYS}, i ${LOCK_DELETE_ON_CLOSE}, p 0) p .r0 ?e'
    Pop $1
    ${If} $0 P= ${LOCK_NO_HANDLE}
      StrCpy $0 0
    ${EndIf}
  ${EndIf}
!macroend

; Takes the user's lock, waiting for it in a run of the update. Leaves $0 "locked", "busy" (another
; run held it all along) or "none" (it could not be made); unless locked, it has told the user why
; (when not silent).
!macro RunAlone
  !insertmacro TryToLock
  ${If} $0 P= 0
  ${AndIf} $StartedByUpdate == 1
    StrCpy $2 0
    ${DoWhile} $2 < $WaitTenths
      Sleep 100
      IntOp $2 $2 + 1
      !insertmacro TryToLock
      ${IfThen} $0 P<> 0 ${|} ${ExitDo} ${|}
    ${Loop}
  ${EndIf}
  ${If} $0 P<> 0
    StrCpy $0 "locked"
  ${ElseIf} $1 = ${ERROR_SHARING_VIOLATION}
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(AlreadyRunningText)" /SD IDOK
    StrCpy $0 "busy"
  ${Else}
    MessageBox MB_OK|MB_ICONSTOP "$(NoLockText)" /SD IDOK
    StrCpy $0 "none"
  ${EndIf}
!macroend
