; Replacing the installed files so that the install can be cut at any moment and still leave a
; startable Quodo.exe, the old one or the new one.
;
; Each new file is first written beside the installed one (NAME.new) and flushed to the disk. The
; installed file's content is kept under NAME.old (a second name of the same file, or a whole copy),
; and the new file then takes the installed one's name in one step: MoveFileEx with
; MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH, so that NAME is always one whole file. To undo
; a swap, NAME.old takes the name back in the same way, and every undo's result is checked.
;
; A run that was cut leaves NAME.new, NAME.part or NAME.old behind; the next run puts them right
; first (PutRightLeftovers): a staged copy is dropped, an old copy is dropped when NAME is there and
; takes NAME's place when it is not (a run of an older installer, which renamed the old file aside).
; Where NAME is missing, NAME.old is the only copy of the file: it is never deleted then, only
; moved back; should that fail, the new file takes NAME (NAME.old staying the old content).

!define MOVEFILE_REPLACE_WRITE_THROUGH 9  ; MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH
!define MOVEFILE_WRITE_THROUGH 8
!define GENERIC_WRITE 0x40000000
!define OPEN_EXISTING 3
!define FILE_SHARE_READ_WRITE 3
!define INVALID_HANDLE -1

; Moves FROM to TO in one step, replacing TO, written through to the disk; $R1 is 1 when it moved.
!macro MoveOver FROM TO
  System::Call 'kernel32::MoveFileEx(t "${FROM}", t "${TO}", i ${MOVEFILE_REPLACE_WRITE_THROUGH}) i .R1'
  ${If} $R1 <> 0
    StrCpy $R1 1
  ${EndIf}
!macroend

; Writes what the system holds of a file to the disk; $R1 is 1 when it did.
!macro Flush PATH
  StrCpy $R1 0
  System::Call 'kernel32::CreateFile(t "${PATH}", i ${GENERIC_WRITE}, i ${FILE_SHARE_READ_WRITE}, p 0, i ${OPEN_EXISTING}, i 0, p 0) p .R2'
  ${If} $R2 P<> ${INVALID_HANDLE}
    System::Call 'kernel32::FlushFileBuffers(p R2) i .R1'
    System::Call 'kernel32::CloseHandle(p R2)'
  ${EndIf}
  ${If} $R1 <> 0
    StrCpy $R1 1
  ${EndIf}
!macroend

; Writes a file of the payload beside the installed one, as NAME.new, and flushes it.
!macro Stage NAME
  Delete "$INSTDIR\${NAME}.new"
  File "/oname=${NAME}.new" "${PAYLOAD}/${NAME}"
  !insertmacro Flush "$INSTDIR\${NAME}.new"
  ${If} $R1 != 1
    StrCpy $FailureReason ${FAILED_FILE_NOT_REPLACED}
    Abort "$(NotSwappedText)"
  ${EndIf}
!macroend

; Takes the file name from the stack and keeps the installed file's content under NAME.old: a hard
; link where the file system has them (no copy, nothing half), else a copy made as NAME.part,
; flushed, and renamed only once whole. Leaves "kept" or "failed" on the stack.
Function KeepOld
  Exch $0
  Push $R1
  Push $R2
  System::Call 'kernel32::CreateHardLink(t "$INSTDIR\$0.old", t "$INSTDIR\$0", p 0) i .R1'
  ${If} $R1 = 0
    Delete "$INSTDIR\$0.part"
    System::Call 'kernel32::CopyFile(t "$INSTDIR\$0", t "$INSTDIR\$0.part", i 1) i .R1'
    ${If} $R1 <> 0
      !insertmacro Flush "$INSTDIR\$0.part"
    ${EndIf}
    ${If} $R1 = 1
      !insertmacro MoveOver "$INSTDIR\$0.part" "$INSTDIR\$0.old"
    ${EndIf}
    ${If} $R1 != 1
      Delete "$INSTDIR\$0.part"
    ${EndIf}
  ${EndIf}
  ${If} $R1 <> 0
    StrCpy $0 "kept"
  ${Else}
    StrCpy $0 "failed"
  ${EndIf}
  Pop $R2
  Pop $R1
  Exch $0
FunctionEnd

; Takes the file name from the stack and puts its staged copy (NAME.new) in its place, keeping the
; installed one as NAME.old. Leaves "swapped" or "kept" on the stack: kept means the file is as it was.
Function SwapIn
  Exch $0
  Push $1
  Push $R1
  StrCpy $1 "kept"  ; a file new to the folder has nothing to keep
  ${If} ${FileExists} "$INSTDIR\$0"
    Delete "$INSTDIR\$0.old"
    Push $0
    Call KeepOld
    Pop $1
  ${EndIf}
  ${If} $1 == "kept"
    !insertmacro MoveOver "$INSTDIR\$0.new" "$INSTDIR\$0"
    ${If} $R1 = 1
      StrCpy $1 "swapped"
    ${Else}
      StrCpy $1 "kept"
      ${If} ${FileExists} "$INSTDIR\$0"
        Delete "$INSTDIR\$0.old"  ; the installed file is as it was
      ${EndIf}
    ${EndIf}
  ${Else}
    StrCpy $1 "kept"
  ${EndIf}
  StrCpy $0 $1
  Pop $R1
  Pop $1
  Exch $0
FunctionEnd

; Takes the file name from the stack and undoes its swap: the kept old file takes its name back (a
; file new to the folder stays, as nothing was there before it). Leaves "undone" or "failed".
Function SwapBack
  Exch $0
  Push $R1
  StrCpy $R1 1
  ${If} ${FileExists} "$INSTDIR\$0.old"
    !insertmacro MoveOver "$INSTDIR\$0.old" "$INSTDIR\$0"
  ${EndIf}
  ${If} $R1 = 1
    StrCpy $0 "undone"
  ${Else}
    StrCpy $0 "failed"
  ${EndIf}
  Pop $R1
  Exch $0
FunctionEnd

; Swaps the staged files in, the program first, so that the help file and the picture are replaced
; only once the new program is in place. When one cannot be swapped, the files swapped before it are
; swapped back. Leaves "swapped", "kept" (everything as it was) or "mixed" (an undo failed: some
; files are new, and Quodo.exe starts) on the stack.
Function SwapInAll
  Push $0
  Push $1
  StrCpy $1 "undone"
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
  StrCpy $0 "swapped"
  Goto done
  undo_help:
    Push "${PRODUCT}.chm"
    Call SwapBack
    Pop $0
    StrCmp $0 "undone" +2
      StrCpy $1 "failed"
  undo_program:
    Push "${PRODUCT}.exe"
    Call SwapBack
    Pop $0
    StrCmp $0 "undone" +2
      StrCpy $1 "failed"
  kept:
    StrCpy $0 "kept"
    StrCmp $1 "undone" done
      StrCpy $0 "mixed"
  done:
  Pop $1
  Exch $0
FunctionEnd

!macro RemoveWithSuffix SUFFIX
  Delete "$INSTDIR\${PRODUCT}.exe${SUFFIX}"
  Delete "$INSTDIR\${PRODUCT}.chm${SUFFIX}"
  Delete "$INSTDIR\ErrorGraph.png${SUFFIX}"
!macroend

; Puts right what a cut run left of one file (see the top of this file); $R1 is 0 when an old copy
; could not take its missing file's place.
!macro PutRight NAME
  StrCpy $R1 1
  Delete "$INSTDIR\${NAME}.new"
  Delete "$INSTDIR\${NAME}.part"
  ${If} ${FileExists} "$INSTDIR\${NAME}.old"
    ${If} ${FileExists} "$INSTDIR\${NAME}"
      Delete "$INSTDIR\${NAME}.old"  ; stays while an old program still runs from it
    ${Else}
      System::Call 'kernel32::MoveFileEx(t "$INSTDIR\${NAME}.old", t "$INSTDIR\${NAME}", i ${MOVEFILE_WRITE_THROUGH}) i .R1'
    ${EndIf}
  ${EndIf}
!macroend

; Leaves "put right" or "old copy left" (a file is missing and its old copy could not take its place).
Function PutRightLeftovers
  Push $0
  Push $R1
  StrCpy $0 "put right"
  !insertmacro PutRight "${PRODUCT}.exe"
  ${IfThen} $R1 = 0 ${|} StrCpy $0 "old copy left" ${|}
  !insertmacro PutRight "${PRODUCT}.chm"
  ${IfThen} $R1 = 0 ${|} StrCpy $0 "old copy left" ${|}
  !insertmacro PutRight "ErrorGraph.png"
  ${IfThen} $R1 = 0 ${|} StrCpy $0 "old copy left" ${|}
  Pop $R1
  Exch $0
FunctionEnd
