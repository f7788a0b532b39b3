; QuorvelSetup.exe: installs Quorvel.exe for all users, creates the settings
; key the program needs before its first start, and registers an uninstaller.
; Built by the Windows build (cmake/Installer.cmake), which passes:
;   VERSION, VERSION_QUAD, COMPANY, COPYRIGHT  (read from src/app/version.h)
;   PROGRAM_EXE, ICON, OUTFILE                 (paths on the build machine)
; An ANSI installer, so that it runs on Windows 95 and 98 as well as on NT.

Unicode false
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"

!define PRODUCT "Quorvel"
!define SETTINGS_KEY "Software\Quorvel"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvel"
; The main window's class and the tray menu's Exit command: posting that
; command is what the menu item does, so the instance removes its tray icon
; and clears its instance mark before it ends.
!define WINDOW_CLASS "TForm_Zentor"
!define EXIT_COMMAND 1206
!define SYNCHRONIZE 0x00100000
!define PROCESS_TERMINATE 0x0001

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION_QUAD}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "CompanyName" "${COMPANY}"
VIAddVersionKey "LegalCopyright" "${COPYRIGHT}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; Drawn by art/make-artwork, like the program's own pictures.
!define MUI_WELCOMEFINISHPAGE_BITMAP "${__FILEDIR__}/wizard.bmp"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Quorvel.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Ends a running instance the way the tray menu's Exit does and waits until
; its process is gone, so that its file can be replaced or deleted. An
; instance that does not end in time is stopped (silent runs) or reported.
!macro StopRunningQuorvel un
Function ${un}StopRunningQuorvel
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $3 0
  ${Do}
    FindWindow $0 "${WINDOW_CLASS}" ""
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    IntOp $3 $3 + 1
    ${If} $3 > 5
      ${Break}
    ${EndIf}
    DetailPrint "Ending the running ${PRODUCT}..."
    StrCpy $1 0
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
    System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}|${PROCESS_TERMINATE}, i 0, i r1) p .r2'
    SendMessage $0 ${WM_COMMAND} ${EXIT_COMMAND} 0 /TIMEOUT=5000
    ${If} $2 <> 0
      System::Call 'kernel32::WaitForSingleObject(p r2, i 15000) i .r1'
      ${If} $1 <> 0
        ${If} ${Silent}
          System::Call 'kernel32::TerminateProcess(p r2, i 1)'
          System::Call 'kernel32::WaitForSingleObject(p r2, i 5000)'
        ${Else}
          MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is still running. Close it from its tray menu, then choose Retry." IDRETRY +2
          Abort
        ${EndIf}
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p r2)'
    ${Else}
      ; No handle to wait on: wait for the window to go instead.
      Sleep 1000
    ${EndIf}
  ${Loop}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro StopRunningQuorvel ""
!insertmacro StopRunningQuorvel "un."

Function .onInit
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetShellVarContext all
FunctionEnd

Section "Quorvel" SecMain
  SectionIn RO
  Call StopRunningQuorvel
  SetOutPath "$INSTDIR"
  File "/oname=Quorvel.exe" "${PROGRAM_EXE}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The program refuses to start without this key. Create it without
  ; writing any value, so an installation over an older one keeps the
  ; stored settings.
  System::Call 'advapi32::RegCreateKeyExA(p 0x80000002, t "${SETTINGS_KEY}", i 0, p 0, i 0, i 0x20006, p 0, *p .r0, p 0) i .r1'
  ${If} $1 <> 0
    Abort "Could not create HKEY_LOCAL_MACHINE\${SETTINGS_KEY} (error $1)."
  ${EndIf}
  System::Call 'advapi32::RegCloseKey(p r0)'

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\Quorvel.exe" "" "$INSTDIR\Quorvel.exe" 0
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quorvel.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "http://www.quorvel.example.com/"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Call un.StopRunningQuorvel

  ; What the program itself may have written: the start-with-Windows entry
  ; and the settings record under its key.
  DeleteRegValue HKLM "${RUN_KEY}" "${PRODUCT}"
  DeleteRegKey HKLM "${SETTINGS_KEY}"

  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  Delete "$INSTDIR\Quorvel.exe"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
