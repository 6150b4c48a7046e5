; What an install, upgrade or uninstall checks before it touches a file: the programs not
; running, and the data folder made and given to the PC's users. A failure is shown, or in a
; silent run written to %TEMP%\velmora-setup.log, and ends the run with status 2.

!define SETUP_LOG "$TEMP\velmora-setup.log"
!define RUNNING_TEXT "Velmora のタイムレコーダー (velmora.exe) か集計 (velmora-report.exe) が起動しています。終了してから「再試行」を押してください。"

; The button ID a fifth wider, its right edge at $R6 (where it is, at first); $R6 its left edge.
!macro GROW_LEFT ID
  GetDlgItem $R1 $HWNDPARENT ${ID}
  System::Call '*(i, i, i, i) p .R2'
  System::Call 'user32::GetWindowRect(p R1, p R2)'
  System::Call 'user32::MapWindowPoints(p 0, p $HWNDPARENT, p R2, i 2)'
  System::Call '*$R2(i .R3, i .R4, i .R5, i .R8)'
  System::Free $R2
  ${IfThen} $R6 == "" ${|} StrCpy $R6 $R5 ${|}
  IntOp $R5 $R5 - $R3
  IntOp $R5 $R5 * 6
  IntOp $R5 $R5 / 5
  IntOp $R3 $R6 - $R5
  IntOp $R8 $R8 - $R4
  System::Call 'user32::SetWindowPos(p R1, p 0, i R3, i R4, i R5, i R8, i 0x14)'
  StrCpy $R6 $R3
!macroend

!macro VELMORA_CHECKS UN
; The buttons' Japanese labels with their access keys (「インストール(&I)」) need more than the 50
; dialog units the layout gives them: 「次へ」 and 「戻る」 grow leftwards by a fifth.
Function ${UN}WidenButtons
  StrCpy $R6 ""
  !insertmacro GROW_LEFT 1
  !insertmacro GROW_LEFT 3
FunctionEnd

; $R0: 1 while velmora.exe or velmora-report.exe runs (of any user, from any folder). Through the
; system's process list, which Wine has too (its tasklist prints nothing).
Function ${UN}FindRunning
  StrCpy $R0 0
  System::Call 'kernel32::CreateToolhelp32Snapshot(i 2, i 0) p .R1'
  ; PROCESSENTRY32W of 64-bit Windows: 568 bytes, the program's name at byte 44.
  System::Alloc 568
  Pop $R2
  System::Call '*$R2(i 568)'
  System::Call 'kernel32::Process32FirstW(p R1, p R2) i .R3'
  ${DoWhile} $R3 <> 0
    System::Call '*$R2(&i44, &w260 .R3)'
    ${If} $R3 == "velmora.exe"
    ${OrIf} $R3 == "velmora-report.exe"
      StrCpy $R0 1
    ${EndIf}
    System::Call 'kernel32::Process32NextW(p R1, p R2) i .R3'
  ${Loop}
  System::Free $R2
  System::Call 'kernel32::CloseHandle(p R1)'
FunctionEnd

; The message on the stack: shown, or logged in a silent run; then the run ends with status 2.
Function ${UN}Fail
  Exch $R9
  DetailPrint $R9
  FileOpen $R8 "${SETUP_LOG}" a
  FileSeek $R8 0 END
  FileWriteUTF16LE /BOM $R8 "$R9$\r$\n"
  FileClose $R8
  MessageBox MB_OK|MB_ICONSTOP $R9 /SD IDOK
  SetErrorLevel 2
  Abort
FunctionEnd

; Asks to close the programs (retry / cancel); a silent run waits up to /WAIT= seconds.
Function ${UN}CloseRunning
  StrCpy $R4 0
  ${Do}
    Call ${UN}FindRunning
    ${IfThen} $R0 == 0 ${|} Return ${|}
    ${If} ${Silent}
      ${If} $R4 >= $Wait
        Push "Velmora: velmora.exe か velmora-report.exe が $Wait 秒たっても終了しないため中止しました。何も変更していません。"
        Call ${UN}Fail
      ${EndIf}
      Sleep 1000
      IntOp $R4 $R4 + 1
    ${Else}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${RUNNING_TEXT}" IDRETRY +3
      Push "Velmora: 起動中のプログラムがあるため中止しました。何も変更していません。"
      Call ${UN}Fail
    ${EndIf}
  ${Loop}
FunctionEnd
!macroend
!insertmacro VELMORA_CHECKS ""
!insertmacro VELMORA_CHECKS "un."

; The records are written by whoever is logged on: the PC's users (a well-known SID, whatever
; the system's language) may change files in the data folder. icacls by its full path: not one
; that lies beside setup.exe. Ignoring a failure is for the IT person who sets the rights of a
; share themselves; a silent run stops, as it cannot be asked.
Function GrantDataFolder
  retry:
  StrCpy $R0 "error"
  CreateDirectory "$DataFolder"
  ${If} ${FileExists} "$DataFolder\*.*"
    nsExec::ExecToLog '"$SYSDIR\icacls.exe" "$DataFolder" /grant *S-1-5-32-545:(OI)(CI)M'
    Pop $R0
  ${EndIf}
  ${IfThen} $R0 == 0 ${|} Return ${|}
  StrCpy $R9 "データフォルダー $DataFolder を作れないか、PC を使う全員が書き込めるようにできませんでした (icacls: $R0)。"
  MessageBox MB_ABORTRETRYIGNORE|MB_ICONSTOP "$R9$\n「無視」で続けるときは、このフォルダーの書き込みの権限を自分で設定してください。" /SD IDABORT IDRETRY retry IDIGNORE ignore
  Push "Velmora: $R9 インストールを中止しました (プログラムは変更していません)。"
  Call Fail
  ignore:
FunctionEnd
