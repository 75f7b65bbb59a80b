; Orvane's Windows installer: the 64-bit saver into System32, its pictures and
; tune into the folder it reads them from, and an Apps & features entry.
;
;   makensis -DVERSION=1.1.0 -DSTAGE=folder -DOUTFILE=Orvane-1.1.0-setup.exe orvane.nsi
;
; lang/ holds our own texts, one file per language (each LangString of
; English.nsh in every one; makensis -WX stops on a missing one).
; STAGE holds Orvane.scr (x86_64), supernova.ppm, Orvane.ppm, music.mid,
; orvane.ico, LICENSE.txt and README.txt. With -DSIGN="command", the
; uninstaller is signed by that command ("%1" is its file) before it is packed.
;
; Switches: /S silent; /SETSAVER makes a silent install choose Orvane as the
; screen saver of the account it runs as; /KEEPSAVER never does. /NOTUNE
; leaves the tune out, /TUNE puts it in; without either an upgrade keeps the
; earlier choice. /D= may only name the one folder the saver reads (below);
; any other folder is refused.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!ifndef VERSION | STAGE | OUTFILE
  !error "define VERSION, STAGE and OUTFILE"
!endif

; The installer and the saver must tell the same version.
!getdllversion "${STAGE}\Orvane.scr" scr_
!if "${scr_1}.${scr_2}.${scr_3}" != "${VERSION}"
  !error "Orvane.scr carries version ${scr_1}.${scr_2}.${scr_3}, the installer ${VERSION}"
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include WordFunc.nsh
!include FileFunc.nsh
!include x64.nsh
!include Sections.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvane"
; Per user: the screen saver chosen before Orvane, for the uninstaller.
!define MEMORY_KEY "Software\Orvane"
!define DESKTOP_KEY "Control Panel\Desktop"
!define PUBLISHER "The Orvane developers"

Name "Orvane"
OutFile "${OUTFILE}"
; The saver reads its files from exactly this folder, so it cannot move:
; not with /D=, and not on a Windows whose system drive is another letter.
!define DATA_DIR "C:\Program Files\Orvane"
InstallDir "${DATA_DIR}"
BrandingText "Orvane ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 ProductName "Orvane"
VIAddVersionKey /LANG=1033 FileDescription "Orvane setup"
VIAddVersionKey /LANG=1033 ProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=1033 LegalCopyright "Copyright (c) 2026 ${PUBLISHER}. MIT License."

!define MUI_ICON "${STAGE}\orvane.ico"
!define MUI_UNICON "${STAGE}\orvane.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The language is Windows' display language when it is one of these, else
; the first. No language box: the display language already says what the
; user reads, and a box would ask again on every upgrade.
!macro orvane_language NAME
  !insertmacro MUI_LANGUAGE "${NAME}"
  !include "lang\${NAME}.nsh"
!macroend
!insertmacro orvane_language "English"
!insertmacro orvane_language "German"
!insertmacro orvane_language "French"
!insertmacro orvane_language "Spanish"
!insertmacro orvane_language "Italian"
!insertmacro orvane_language "PortugueseBR"
!insertmacro orvane_language "Dutch"
!insertmacro orvane_language "Polish"
!insertmacro orvane_language "Russian"
!insertmacro orvane_language "Japanese"
!insertmacro orvane_language "SimpChinese"
!insertmacro orvane_language "Korean"

!ifdef SIGN
  !uninstfinalize `${SIGN}` = 0
!endif

; Both halves write to System32, Program Files and HKLM.
!macro require_admin
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_ICONSTOP "$(NeedAdmin)" /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
!macroend

Section "$(SecFiles)" section_files
  SectionIn RO
  SetRegView 64
  SetOverwrite on
  SetOutPath "$INSTDIR"
  File "${STAGE}\supernova.ppm"
  File "${STAGE}\Orvane.ppm"
  ; The tune's own section puts it back when it is chosen.
  Delete "$INSTDIR\music.mid"
  File "${STAGE}\LICENSE.txt"
  File "${STAGE}\README.txt"
  ; The screen saver list shows the .scr files of the 64-bit system folder.
  ${DisableX64FSRedirection}
  File "/oname=$SYSDIR\Orvane.scr" "${STAGE}\Orvane.scr"
  ${EnableX64FSRedirection}
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Orvane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SYSDIR\Orvane.scr,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  ${GetTime} "" "L" $0 $1 $2 $3 $4 $5 $6
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallDate" "$2$1$0"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; What the next setup ticks by default.
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "PlayTune" 0
SectionEnd

; The saver plays music.mid when it finds it and runs silently without.
Section "$(SecTune)" section_tune
  SetOutPath "$INSTDIR"
  File "${STAGE}\music.mid"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "PlayTune" 1
SectionEnd

Section "$(SecChoose)" section_choose
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ; Already ours (an upgrade): what was remembered before still holds.
  ${If} $0 != "$SYSDIR\Orvane.scr"
    DeleteRegKey HKCU "${MEMORY_KEY}"
    ClearErrors
    ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${IfNot} ${Errors}
      WriteRegStr HKCU "${MEMORY_KEY}" "PreviousScreenSaver" $0
    ${EndIf}
    ClearErrors
    ReadRegStr $0 HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
    ${IfNot} ${Errors}
      WriteRegStr HKCU "${MEMORY_KEY}" "PreviousScreenSaveActive" $0
    ${EndIf}
    ; Marks the memory as taken even when neither value was set.
    WriteRegDWORD HKCU "${MEMORY_KEY}" "Remembered" 1
  ${EndIf}
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SYSDIR\Orvane.scr"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  ; SPI_SETSCREENSAVEACTIVE, told to running programs (SPIF_SENDCHANGE).
  System::Call "user32::SystemParametersInfoW(i 17, i 1, p 0, i 2)"
SectionEnd

; Last, when every chosen file is in place.
Section "-size"
  ${GetSize} "$INSTDIR" "/S=0B /G=0" $0 $1 $2
  ${GetSize} "$SYSDIR" "/M=Orvane.scr /S=0B /G=0" $1 $2 $3
  IntOp $0 $0 + $1
  IntOp $0 $0 + 1023
  IntOp $0 $0 / 1024
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function .onInit
  SetRegView 64
  !insertmacro require_admin
  ; /D= names another folder: the saver would find nothing there, so change
  ; nothing. (StrCmp ignores case, as Windows does.)
  ${If} $INSTDIR != "${DATA_DIR}"
    MessageBox MB_ICONSTOP "$(OnlyFolder)" /SD IDOK
    Abort
  ${EndIf}
  ; The folder as Windows lists it, for the entry, however /D= spelt it.
  StrCpy $INSTDIR "${DATA_DIR}"
  ; A Windows on another drive still needs C:, where the saver looks.
  ${IfNot} ${FileExists} "C:\*.*"
    MessageBox MB_ICONSTOP "$(NoDriveC)" /SD IDOK
    Abort
  ${EndIf}
  ; Same or older: upgrade in place. Newer: leave it alone.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "DisplayVersion"
  ${If} $0 != ""
    ${VersionCompare} $0 "${VERSION}" $1
    ${If} $1 == 1
      MessageBox MB_ICONSTOP "$(NewerInstalled)" /SD IDOK
      Abort
    ${EndIf}
  ${EndIf}
  ; The ticked box is for the user who runs the setup. A silent install
  ; usually runs as an administrator or the system account for someone else,
  ; so it chooses the saver only when asked with /SETSAVER; /KEEPSAVER (as
  ; unticking the box) always leaves the choice alone.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/SETSAVER" $1
  ${If} ${Errors}
  ${AndIf} ${Silent}
    !insertmacro UnselectSection ${section_choose}
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/KEEPSAVER" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${section_choose}
  ${EndIf}
  ; The tune as the last install left it (ticked when none said), unless
  ; told otherwise; /NOTUNE wins over /TUNE.
  ReadRegDWORD $1 HKLM "${UNINSTALL_KEY}" "PlayTune"
  ${If} $1 == "0"
    !insertmacro UnselectSection ${section_tune}
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/TUNE" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${section_tune}
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/NOTUNE" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${section_tune}
  ${EndIf}
FunctionEnd

Function un.onInit
  SetRegView 64
  !insertmacro require_admin
FunctionEnd

; Puts one remembered value back, or removes it when there was none.
!macro restore_desktop_value memory_name desktop_name
  ClearErrors
  ReadRegStr $1 HKCU "${MEMORY_KEY}" "${memory_name}"
  ${If} ${Errors}
    DeleteRegValue HKCU "${DESKTOP_KEY}" "${desktop_name}"
  ${Else}
    WriteRegStr HKCU "${DESKTOP_KEY}" "${desktop_name}" $1
  ${EndIf}
!macroend

Section "Uninstall"
  SetRegView 64
  ; A saver chosen since the install is the user's choice: leave it.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ReadRegDWORD $2 HKCU "${MEMORY_KEY}" "Remembered"
  ${If} $0 == "$SYSDIR\Orvane.scr"
    ${If} $2 == 1
      !insertmacro restore_desktop_value "PreviousScreenSaver" "SCRNSAVE.EXE"
      !insertmacro restore_desktop_value "PreviousScreenSaveActive" "ScreenSaveActive"
    ${Else}
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${EndIf}
  ${EndIf}
  DeleteRegKey HKCU "${MEMORY_KEY}"

  ${DisableX64FSRedirection}
  Delete /REBOOTOK "$SYSDIR\Orvane.scr"
  ${EnableX64FSRedirection}
  Delete "$INSTDIR\supernova.ppm"
  Delete "$INSTDIR\Orvane.ppm"
  Delete "$INSTDIR\music.mid"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
