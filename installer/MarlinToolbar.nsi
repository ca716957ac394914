; Marlin Toolbar's installer and uninstaller (NSIS 3). The build passes the
; folders it takes files from:
;   BUILD_DIR   the build tree (DLL, programs, drawn images and skins)
;   SOURCE_DIR  the source tree (seed documents, the plug-in catalogue)
;   PREPARED    prepare.py's output (toolbar documents, InstalledFiles.nsh)
;   OUTFILE     the installer to write
; Both run silently with /S; /D=<folder> chooses the installation folder.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin

!include "LogicLib.nsh"
!include "${PREPARED}/InstalledFiles.nsh"

!define PRODUCT "Marlin Toolbar"
!define VERSION "1.0.0.1"
!define PUBLISHER "Marlin Toolbar"
!define SETTINGS_KEY "SOFTWARE\MarlinToolbar"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\{F9E838F2-C644-44F0-A09C-E1DA9CB28434}"
!define INI "$WINDIR\MarlinToolbar.ini"
!define UNINSTALLER "Uninstall.exe"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\MarlinToolbar"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The seed documents of a data folder. `overwrite` is "on" for the pristine
; copies and "off" in XMLS, where an earlier installation's documents (the
; user's toolbars above all) are the user's and stay as they are.
!macro SeedDocuments overwrite
  SetOverwrite ${overwrite}
  File "${SOURCE_DIR}/installer/seed/ApplicationSettings.xml"
  File "${SOURCE_DIR}/installer/seed/LogURL.xml"
  File "${SOURCE_DIR}/installer/seed/MarlinToolbarErrorLog.xml"
  File "${PREPARED}/seed/MarlinToolbarBasic.xml"
  File "${PREPARED}/seed/MarlinToolbarLogin.xml"
  SetOverwrite on
  File "${SOURCE_DIR}/standins/plugins/Plug-in.xml"
  File "${SOURCE_DIR}/installer/seed/Plug-inRules.xml"
!macroend

!macro RemoveSeedDocuments folder keepToolbars
  Delete /REBOOTOK "${folder}\ApplicationSettings.xml"
  Delete /REBOOTOK "${folder}\LogURL.xml"
  Delete /REBOOTOK "${folder}\MarlinToolbarErrorLog.xml"
  Delete /REBOOTOK "${folder}\Plug-in.xml"
  Delete /REBOOTOK "${folder}\Plug-inRules.xml"
  ${If} ${keepToolbars} != 1
    Delete /REBOOTOK "${folder}\MarlinToolbarBasic.xml"
    Delete /REBOOTOK "${folder}\MarlinToolbarLogin.xml"
  ${EndIf}
  RMDir "${folder}"
!macroend

; A setting in both stores the product reads: the registry first, then the
; Windows folder's ini file.
!macro WriteSetting name value
  WriteRegStr HKLM "${SETTINGS_KEY}" "${name}" "${value}"
  WriteINIStr "${INI}" "MTSettings" "${name}" "${value}"
!macroend

!macro NoteCreatedKey key flag
  ClearErrors
  EnumRegKey $1 HKLM "${key}" 0
  ${If} ${Errors}
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "${flag}" 1
  ${EndIf}
!macroend

!macro RemoveCreatedKey key flag
  ReadRegDWORD $1 HKLM "${UNINSTALL_KEY}" "${flag}"
  ${If} $1 == 1
    DeleteRegKey /ifnosubkeys /ifnovalues HKLM "${key}"
  ${EndIf}
!macroend

Function .onInit
  SetRegView 64
  ; An earlier installation's folder is the default for this one.
  ReadRegStr $0 HKLM "${SETTINGS_KEY}" "ApplicationPath"
  ${If} $0 != ""
  ${AndIf} $INSTDIR == "$PROGRAMFILES64\MarlinToolbar"
    ; Stored with its closing backslash, which $INSTDIR never has.
    StrCpy $1 $0 1 -1
    ${If} $1 == "\"
      StrCpy $0 $0 -1
    ${EndIf}
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

Section "Marlin Toolbar"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${BUILD_DIR}/MarlinToolbar.dll"
  File "${BUILD_DIR}/standins/api-host/MarlinToolbarAPI.exe"
  !insertmacro InstallDrawnFiles

  SetOutPath "$INSTDIR\Plugins\1"
  File "${BUILD_DIR}/standins/plugins/Plugins/1/EBay.dll"
  SetOutPath "$INSTDIR\Plugins\3"
  File "${BUILD_DIR}/standins/plugins/Plugins/3/YouTube.dll"
  SetOutPath "$INSTDIR\PluginSdk"
  File "${BUILD_DIR}/standins/plugin-sdk/PluginSdk.dll"
  File "${SOURCE_DIR}/standins/plugin-sdk/PluginSdk.xml"

  SetOutPath "$INSTDIR\XMLS"
  !insertmacro SeedDocuments off
  SetOutPath "$INSTDIR\TempCache\XMLS"
  !insertmacro SeedDocuments on

  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  ; The product's paths end with a backslash.
  StrCpy $0 "$INSTDIR"
  StrCpy $1 $0 1 -1
  ${If} $1 != "\"
    StrCpy $0 "$0\"
  ${EndIf}
  !insertmacro WriteSetting "ApplicationPath" "$0"
  ; Signing in survives an installation over an earlier one.
  ReadRegStr $1 HKLM "${SETTINGS_KEY}" "IsLogin"
  ${If} $1 == ""
    !insertmacro WriteSetting "IsLogin" "0"
  ${Else}
    WriteINIStr "${INI}" "MTSettings" "IsLogin" "$1"
  ${EndIf}
  ; The band shows itself once in the next browser window.
  !insertmacro WriteSetting "btbho" "1"
  ; Values for the product's services; nothing in the toolbar reads them.
  WriteINIStr "${INI}" "MTSettings" "Pkey" ""
  WriteINIStr "${INI}" "MTSettings" "BaseURL" ""
  WriteINIStr "${INI}" "MTSettings" "SearchSite" ""
  WriteINIStr "${INI}" "MTSettings" "DynamicIP" ""
  FlushINI "${INI}"

  ; Registration makes the browser's keys for toolbars and helper objects
  ; where the browser has none yet; the uninstaller takes away the ones made
  ; here once they are empty again.
  !insertmacro NoteCreatedKey "Software\Microsoft\Internet Explorer\Toolbar" "CreatedToolbarKey"
  !insertmacro NoteCreatedKey "Software\Microsoft\Windows\CurrentVersion\Explorer\Browser Helper Objects" "CreatedHelperKey"

  ClearErrors
  RegDLL "$INSTDIR\PluginSdk\PluginSdk.dll"
  RegDLL "$INSTDIR\MarlinToolbar.dll"
  ${If} ${Errors}
    DetailPrint "MarlinToolbar.dll could not be registered."
    MessageBox MB_OK|MB_ICONEXCLAMATION "Marlin Toolbar could not be registered with the browser." /SD IDOK
    SetErrorLevel 2
  ${EndIf}

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Images\MarlinToolbar.ico"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  ; The toolbar's "Uninstall" runs this through a batch file in the system's
  ; code page: the short form of the path survives any letters in it.
  GetFullPathName /SHORT $1 "$INSTDIR\${UNINSTALLER}"
  ${If} $1 == ""
    StrCpy $1 "$INSTDIR\${UNINSTALLER}"
  ${EndIf}
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$1"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$1" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Var KeepToolbars

!macro RemoveFolders option
  RMDir ${option} "$INSTDIR\Plugins\1"
  RMDir ${option} "$INSTDIR\Plugins\3"
  RMDir ${option} "$INSTDIR\Plugins"
  RMDir ${option} "$INSTDIR\PluginSdk"
  ${If} $KeepToolbars != 1
  ${OrIf} "${option}" == ""
    RMDir ${option} "$INSTDIR"
  ${EndIf}
!macroend

Function un.onInit
  SetRegView 64
FunctionEnd

; Removes what the installer wrote and nothing else: the files by name, the
; folders only when they are left empty. Files still in use (the DLL in a
; running browser) go at the next restart; the settings go at once, so the
; browser does not load the toolbar again.
Section "Uninstall"
  SetShellVarContext all
  StrCpy $KeepToolbars 1
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON1 \
    "Keep your toolbars and buttons for a later installation?$\n$\nChoose No to remove them as well." \
    /SD IDYES IDYES +2
  StrCpy $KeepToolbars 0

  ClearErrors
  UnRegDLL "$INSTDIR\MarlinToolbar.dll"
  UnRegDLL "$INSTDIR\PluginSdk\PluginSdk.dll"
  !insertmacro RemoveCreatedKey "Software\Microsoft\Internet Explorer\Toolbar" "CreatedToolbarKey"
  !insertmacro RemoveCreatedKey "Software\Microsoft\Windows\CurrentVersion\Explorer\Browser Helper Objects" "CreatedHelperKey"
  DeleteRegKey HKLM "${SETTINGS_KEY}"
  Delete "${INI}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  Delete /REBOOTOK "$INSTDIR\MarlinToolbar.dll"
  Delete /REBOOTOK "$INSTDIR\MarlinToolbarAPI.exe"
  ; Written by the toolbar's "Uninstall" command, which started us.
  Delete /REBOOTOK "$INSTDIR\UnInstall.bat"
  !insertmacro RemoveDrawnFiles
  Delete /REBOOTOK "$INSTDIR\Plugins\1\EBay.dll"
  Delete /REBOOTOK "$INSTDIR\Plugins\3\YouTube.dll"
  Delete /REBOOTOK "$INSTDIR\PluginSdk\PluginSdk.dll"
  Delete /REBOOTOK "$INSTDIR\PluginSdk\PluginSdk.xml"
  !insertmacro RemoveSeedDocuments "$INSTDIR\TempCache\XMLS" 0
  RMDir "$INSTDIR\TempCache"
  !insertmacro RemoveSeedDocuments "$INSTDIR\XMLS" $KeepToolbars
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Folders go only when empty. Where a file waits for the restart, so does
  ; its folder (a folder still holding something then simply stays).
  !insertmacro RemoveFolders ""
  ${If} ${RebootFlag}
    ; The running toolbar may still write its logs until the browser closes.
    System::Call 'kernel32::MoveFileExW(w "$INSTDIR\XMLS\MarlinToolbarErrorLog.xml", p 0, i 4)'
    System::Call 'kernel32::MoveFileExW(w "$INSTDIR\XMLS\LogURL.xml", p 0, i 4)'
    ${If} $KeepToolbars != 1
      RMDir /REBOOTOK "$INSTDIR\XMLS"
    ${EndIf}
    !insertmacro RemoveFolders "/REBOOTOK"
    MessageBox MB_OK|MB_ICONINFORMATION \
      "Some files of Marlin Toolbar are still in use by a browser window. They will be removed when Windows restarts." \
      /SD IDOK
  ${EndIf}
SectionEnd
