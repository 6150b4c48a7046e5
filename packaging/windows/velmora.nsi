; The Windows installer: both programs for every user of the PC, their Start menu entries, an
; uninstaller in the system's list of apps, the time clock at logon if chosen, and the data
; folder, which is made writable for the PC's users and never removed.
;   makensis -DVERSION=1.0+git142 -DNUMERIC=1.0.0.142 -DFILES=folder -DICON=icon.ico
;            -DLICENSE=license-page.txt -DOUT=velmora-1.0+git142-setup.exe velmora.nsi
; Silent (IT departments): setup.exe /S [/DATA=C:\Velmora] [/LOGON] [/WAIT=60]; uninstall.exe /S.
; A silent run's failures go to %TEMP%\velmora-setup.log and its exit status.
; A 64-bit installer, like the programs it installs (and Wine without 32-bit support runs it).
Target amd64-unicode
!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh

!define KEY "Software\Velmora"
!define UNINSTALL "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
!define REPORT_LINK "Velmora 在校等時間集計.lnk"

Name "Velmora"
OutFile "${OUT}"
InstallDir "$PROGRAMFILES64\Velmora"
InstallDirRegKey HKLM "${KEY}" "InstallFolder"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
BrandingText "Velmora ${VERSION}"
VIProductVersion "${NUMERIC}"
VIAddVersionKey /LANG=1041 "ProductName" "Velmora"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "FileDescription" "Velmora セットアップ"
VIAddVersionKey /LANG=1041 "LegalCopyright" "MIT License"

Var DataFolder
Var Wait

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_CUSTOMFUNCTION_GUIINIT WidenButtons
!define MUI_CUSTOMFUNCTION_UNGUIINIT un.WidenButtons
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!define MUI_PAGE_HEADER_TEXT "データフォルダー"
!define MUI_PAGE_HEADER_SUBTEXT "出勤・退勤の記録とカードの登録を置くフォルダーを選んでください。"
!define MUI_DIRECTORYPAGE_TEXT_TOP "タイムレコーダーはこのフォルダーに記録します。PC を使う全員が書き込めるようにします。アンインストールしてもこのフォルダーの記録は消えません。"
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "データフォルダー"
!define MUI_DIRECTORYPAGE_VARIABLE $DataFolder
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README-ja.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "かんたんな使い方を開く"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"
!addincludedir "${__FILEDIR__}"
!include "checks.nsh"

Section "Velmora 本体" SecPrograms
  SectionIn RO
  SetShellVarContext all
  ; Both before the first file: a refused or failed install leaves the old one whole.
  Call CloseRunning
  Call GrantDataFolder
  SetOutPath "$INSTDIR"
  File "${FILES}\velmora.exe"
  File "${FILES}\velmora-report.exe"
  File "${FILES}\sony_idm.dll"
  File "${FILES}\ipag.ttf"
  File "${FILES}\*.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; A shortcut starts in the folder set last: the programs work in the data folder.
  SetOutPath "$DataFolder"
  CreateDirectory "$SMPROGRAMS\Velmora"
  CreateShortCut "$SMPROGRAMS\Velmora\Velmora.lnk" "$INSTDIR\velmora.exe"
  CreateShortCut "$SMPROGRAMS\Velmora\${REPORT_LINK}" "$INSTDIR\velmora-report.exe"
  Delete "$SMSTARTUP\Velmora.lnk"
  SetRegView 64
  WriteRegStr HKLM "${KEY}" "InstallFolder" "$INSTDIR"
  WriteRegStr HKLM "${KEY}" "DataFolder" "$DataFolder"
  WriteRegStr HKLM "${UNINSTALL}" "DisplayName" "Velmora"
  WriteRegStr HKLM "${UNINSTALL}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL}" "Publisher" "Velmora developers"
  WriteRegStr HKLM "${UNINSTALL}" "DisplayIcon" "$INSTDIR\velmora.exe"
  WriteRegStr HKLM "${UNINSTALL}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL}" "EstimatedSize" $0
SectionEnd

Section /o "ログオン時に起動" SecLogon
  SetShellVarContext all
  SetOutPath "$DataFolder"
  CreateShortCut "$SMSTARTUP\Velmora.lnk" "$INSTDIR\velmora.exe"
SectionEnd

Function .onInit
  SetRegView 64
  SetShellVarContext all
  ; An upgrade keeps the data folder and the choice of starting at logon.
  StrCpy $DataFolder "C:\Velmora"
  ReadRegStr $0 HKLM "${KEY}" "DataFolder"
  ${If} $0 != ""
    StrCpy $DataFolder $0
  ${EndIf}
  ${If} ${FileExists} "$SMSTARTUP\Velmora.lnk"
    !insertmacro SelectSection ${SecLogon}
  ${EndIf}
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/DATA=" $0
  ${IfNot} ${Errors}
    StrCpy $DataFolder $0
  ${EndIf}
  ClearErrors
  ${GetOptions} $1 "/LOGON" $0
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecLogon}
  ${EndIf}
  StrCpy $Wait 60
  ClearErrors
  ${GetOptions} $1 "/WAIT=" $0
  ${IfNot} ${Errors}
    IntOp $Wait $0 + 0
  ${EndIf}
FunctionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecPrograms} "タイムレコーダーと月の集計、スタート メニューの項目。データフォルダーを作り、PC を使う全員が書き込めるようにします。"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecLogon} "だれがログオンしてもタイムレコーダーを起動します。職員室の共用 PC に。"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function un.onInit
  StrCpy $Wait 60
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/WAIT=" $0
  ${IfNot} ${Errors}
    IntOp $Wait $0 + 0
  ${EndIf}
FunctionEnd

; The data folder and everything in it stay: they are the school's records.
Section "Uninstall"
  SetShellVarContext all
  SetRegView 64
  Call un.CloseRunning
  Delete "$INSTDIR\velmora.exe"
  Delete "$INSTDIR\velmora-report.exe"
  Delete "$INSTDIR\sony_idm.dll"
  Delete "$INSTDIR\ipag.ttf"
  Delete "$INSTDIR\*.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Velmora\Velmora.lnk"
  Delete "$SMPROGRAMS\Velmora\${REPORT_LINK}"
  RMDir "$SMPROGRAMS\Velmora"
  Delete "$SMSTARTUP\Velmora.lnk"
  DeleteRegKey HKLM "${UNINSTALL}"
  DeleteRegKey HKLM "${KEY}"
  ; The log is the user's own and may still be asked for: kept unless they say otherwise.
  SetShellVarContext current
  ${If} ${FileExists} "$LOCALAPPDATA\Velmora\*.*"
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "ログのフォルダー $LOCALAPPDATA\Velmora も削除しますか?$\n(問い合わせに使うことがあります。ふつうは残します。)" /SD IDNO IDNO +2
    RMDir /r "$LOCALAPPDATA\Velmora"
  ${EndIf}
SectionEnd
