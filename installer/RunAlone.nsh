; One installer or uninstaller of Quodo per user at a time, whatever the session: each run holds a
; mutex in the global namespace, named after the user's security identifier (SID), for as long as it
; runs. A run that cannot take it ends at once with ALREADY_RUNNING_EXIT_CODE: another run holds it,
; or the mutex could not be made (a run never goes on without it).
;
; Needs the language strings AlreadyRunningText and NoLockText.

!define SETUP_MUTEX_PREFIX "Global\QuodoSetup-"
!define ALREADY_RUNNING_EXIT_CODE 3
!define ERROR_ALREADY_EXISTS 183
!define TOKEN_QUERY 8
!define TOKEN_USER_CLASS 1

; Leaves the user's SID as text (S-1-5-21-...) in VAR, or nothing when it cannot be read.
!macro ReadUserSid VAR
  StrCpy ${VAR} ""
  System::Call 'advapi32::OpenProcessToken(p -1, i ${TOKEN_QUERY}, *p .r1) i .r0'
  ${If} $0 <> 0
    ; TOKEN_USER: its first member points at the user's SID.
    System::Call 'advapi32::GetTokenInformation(p r1, i ${TOKEN_USER_CLASS}, p 0, i 0, *i .r2)'
    System::Alloc $2
    Pop $3
    System::Call 'advapi32::GetTokenInformation(p r1, i ${TOKEN_USER_CLASS}, p r3, i r2, *i .r2) i .r0'
    ${If} $0 <> 0
      System::Call '*$3(p .r4)'
      System::Call 'advapi32::ConvertSidToStringSid(p r4, *p .r5) i .r0'
      ${If} $0 <> 0
        System::Call 'kernel32::lstrcpyn(t .r6, p r5, i ${NSIS_MAX_STRLEN})'
        System::Call 'kernel32::LocalFree(p r5)'
        StrCpy ${VAR} $6
      ${EndIf}
    ${EndIf}
    System::Free $3
    System::Call 'kernel32::CloseHandle(p r1)'
  ${EndIf}
!macroend

; Holds the user's mutex until this run ends, or ends this run with ALREADY_RUNNING_EXIT_CODE.
!macro RunAlone
  !insertmacro ReadUserSid $R0
  StrCpy $1 0
  ${If} $R0 != ""
    System::Call 'kernel32::CreateMutex(p 0, i 0, t "${SETUP_MUTEX_PREFIX}$R0") p .r0 ?e'
    Pop $1  ; the system's last error
  ${Else}
    StrCpy $0 0
  ${EndIf}
  ${If} $0 = 0
    MessageBox MB_OK|MB_ICONSTOP "$(NoLockText)" /SD IDOK
    SetErrorLevel ${ALREADY_RUNNING_EXIT_CODE}
    Quit
  ${EndIf}
  ${If} $1 = ${ERROR_ALREADY_EXISTS}
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(AlreadyRunningText)" /SD IDOK
    SetErrorLevel ${ALREADY_RUNNING_EXIT_CODE}
    Quit
  ${EndIf}
!macroend
