; setup.exe: puts the TWAIN source into the Windows folder's TWAIN folder, the
; scan utility and its libraries into a program folder, a Start menu entry for
; the utility and an entry in Add/Remove Programs. The uninstaller takes all of
; that away again and leaves the user's scan settings and favourites alone:
; they live in the application-data and documents folders, which neither side
; ever touches, so a reinstall finds them as they were.
;
; installer/CMakeLists.txt passes what differs between builds:
;   CORV_PRODUCT, CORV_COMPANY, CORV_VERSION  the binaries' version resource
;   CORV_SOURCE, CORV_SCANAPP, CORV_COLOUR, CORV_MRC  the binaries to pack
;   CORV_OUTFILE                              where setup.exe goes
;   CORV_AMD64                                defined in the 64-bit build

!ifdef CORV_AMD64
  ; The 64-bit build exists to run the tests on hosts without 32-bit
  ; support. A 64-bit TWAIN source is looked for in twain_64 by the 64-bit
  ; source managers, and 64-bit programs belong in the native program folder.
  Target amd64-unicode
  !define TWAIN_FOLDER "twain_64"
  !define PROGRAM_ROOT "$PROGRAMFILES64"
!else
  ; The shipped build. 32-bit source managers look in twain_32, which the
  ; file-system redirection of 64-bit Windows leaves alone; the program
  ; folder is the 32-bit one there ("Program Files (x86)").
  Target x86-unicode
  !define TWAIN_FOLDER "twain_32"
  !define PROGRAM_ROOT "$PROGRAMFILES"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${CORV_PRODUCT}"
; The source's instance mutex is named by its application title
; (IDS_APP_TITLE of corvsrc.rc), the utility's main window by its class
; (CScanAppDlg::kClassName). The installer test holds both and sees them refused.
!define SOURCE_MUTEX "Corvane QM スキャン"
!define SCANAPP_WINDOW_CLASS "CorvScanUtilityMain"
!define SCANAPP_SHORTCUT "$SMPROGRAMS\${CORV_PRODUCT}\Scan Utility.lnk"
!define SYNCHRONIZE 0x00100000
!define EXIT_IN_USE 3

!include "MUI2.nsh"
!include "LogicLib.nsh"

; Windows applies its installer compatibility shims to a program named
; setup.exe, and users look for that name: the name stays, the warning goes.
!pragma warning disable 9000

Name "${CORV_PRODUCT}"
OutFile "${CORV_OUTFILE}"
SetCompressor /SOLID lzma
RequestExecutionLevel admin
InstallDir "${PROGRAM_ROOT}\${CORV_PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${CORV_PRODUCT} ${CORV_VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow
; A Japanese Gothic face wider than the system's own clips two stock labels:
; the install button's (with its access key in brackets) and the folder's
; label on the uninstaller's first page.
InstallButtonText "インストール"

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_LOCATION "場所:"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "$(CorvSettingsKept)"
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "Japanese"

LangString CorvSourceInUse ${LANG_JAPANESE} \
  "${CORV_PRODUCT} のデータソースが使用中です。$\r$\nスキャンに使っているアプリケーションを終了してから、もう一度実行してください。"
LangString CorvScanAppRunning ${LANG_JAPANESE} \
  "スキャンユーティリティが起動しています。$\r$\nスキャンユーティリティを終了してから、もう一度実行してください。"
LangString CorvSettingsKept ${LANG_JAPANESE} \
  "${CORV_PRODUCT} をコンピューターから削除しました。$\r$\n$\r$\nスキャンの設定とお気に入りは残してあります。もう一度インストールすると、そのまま使えます。"

VIProductVersion "${CORV_VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "${CORV_PRODUCT}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "CompanyName" "${CORV_COMPANY}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "${CORV_PRODUCT} Setup"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${CORV_VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${CORV_VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "Copyright (C) 2002-2026 ${CORV_COMPANY}"

; Replacing a source some application has loaded, or the program of a running
; utility, fails half-way on Windows and leaves a mix of versions: both sides
; refuse before changing anything, with a message (none under /S, where the
; exit code tells).
!macro CORV_REFUSE_WHILE_IN_USE PREFIX
Function ${PREFIX}CorvRefuseWhileInUse
  System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${SOURCE_MUTEX}") p .r0'
  ${If} $0 P<> 0
    System::Call 'kernel32::CloseHandle(p r0)'
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(CorvSourceInUse)" /SD IDOK
    SetErrorLevel ${EXIT_IN_USE}
    Quit
  ${EndIf}
  FindWindow $0 "${SCANAPP_WINDOW_CLASS}"
  ${If} $0 P<> 0
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(CorvScanAppRunning)" /SD IDOK
    SetErrorLevel ${EXIT_IN_USE}
    Quit
  ${EndIf}
FunctionEnd
!macroend
!insertmacro CORV_REFUSE_WHILE_IN_USE ""
!insertmacro CORV_REFUSE_WHILE_IN_USE "un."

!macro CORV_VIEWS
  ; The Start menu entry is for every user, like the source and the program.
  SetShellVarContext all
  !ifdef CORV_AMD64
    SetRegView 64
  !endif
!macroend

Function .onInit
  !insertmacro CORV_VIEWS
  Call CorvRefuseWhileInUse
FunctionEnd

Function un.onInit
  !insertmacro CORV_VIEWS
  Call un.CorvRefuseWhileInUse
FunctionEnd

Section
  SetOutPath "$WINDIR\${TWAIN_FOLDER}"
  File "/oname=corvsrc.ds" "${CORV_SOURCE}"
  SetOutPath "$INSTDIR"
  File "/oname=corvscan.exe" "${CORV_SCANAPP}"
  File "/oname=corvcolor.dll" "${CORV_COLOUR}"
  File "/oname=cvpsmrc.dll" "${CORV_MRC}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${CORV_PRODUCT}"
  CreateShortcut "${SCANAPP_SHORTCUT}" "$INSTDIR\corvscan.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${CORV_PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${CORV_VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${CORV_COMPANY}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\corvscan.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$WINDIR\${TWAIN_FOLDER}\corvsrc.ds"
  Delete "$INSTDIR\corvscan.exe"
  Delete "$INSTDIR\corvcolor.dll"
  Delete "$INSTDIR\cvpsmrc.dll"
  Delete "$INSTDIR\uninstall.exe"
  Delete "${SCANAPP_SHORTCUT}"
  RMDir "$SMPROGRAMS\${CORV_PRODUCT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; Only when empty: before Vista the utility keeps its profile beside
  ; the program, and that stays with the folder.
  RMDir "$INSTDIR"
SectionEnd
