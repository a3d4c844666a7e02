; Quorrel's setup program. Installs quorrel.exe for the current user (no administrator needed) or
; for everyone, adds a Start-menu shortcut and an uninstaller listed among the installed programs.
; Silent with /S; /CurrentUser or /AllUsers choose the kind of install without asking.
; The uninstaller removes what this installs and nothing else: Settings.ini, Log.txt and every
; snapshot stay where they are.
;
; Made by cmake/windows-packages.cmake, which passes:
;   VERSION  the program's version (1.0.0)       EXE      quorrel.exe to install
;   ICON     the program's icon file             OUTFILE  the setup program to write
;   PICTURE  the picture of the first and last pages (a BMP of 164 x 314)

; A 64-bit setup program for a 64-bit program: it sees the 64-bit Program Files and registry as
; they are, and runs where quorrel.exe runs (Wine without its 32-bit part included).
Target amd64-unicode
SetCompressor /SOLID lzma

!define PRODUCT "Quorrel"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; Its name is known to the program: a copy with the uninstaller beside it is an installed one and
; keeps its settings in the user's folder.
!define UNINSTALLER "uninstall.exe"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "The Quorrel developers"
VIAddVersionKey /LANG=1033 "LegalCopyright" "The Quorrel developers"

; Per user into %LOCALAPPDATA%\Programs\Quorrel, for everyone into C:\Program Files\Quorrel. A
; second run finds the first install's kind and folder in the uninstall key.
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "UninstallString"
!include MultiUser.nsh
!include MUI2.nsh
!include FileFunc.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${PICTURE}"
!define MUI_ABORTWARNING
; No "Start Quorrel" box on the last page: a setup program raised to the administrator would
; start the program raised too.

; Each page of Modern UI names itself " " in the title bar, after "Quorrel Setup": the title is
; put back whole as each page shows.
!macro PAGE_WITH_TITLE PAGE PREFIX
    !define MUI_PAGE_CUSTOMFUNCTION_SHOW ${PREFIX}ShowTitle
    !insertmacro ${PAGE}
!macroend
!insertmacro PAGE_WITH_TITLE MUI_PAGE_WELCOME ""
!insertmacro PAGE_WITH_TITLE MULTIUSER_PAGE_INSTALLMODE ""
!insertmacro PAGE_WITH_TITLE MUI_PAGE_DIRECTORY ""
!insertmacro PAGE_WITH_TITLE MUI_PAGE_INSTFILES ""
!insertmacro PAGE_WITH_TITLE MUI_PAGE_FINISH ""

!insertmacro PAGE_WITH_TITLE MUI_UNPAGE_CONFIRM un.
!insertmacro PAGE_WITH_TITLE MUI_UNPAGE_INSTFILES un.

!insertmacro MUI_LANGUAGE "English"

Function .onInit
    !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
    !insertmacro MULTIUSER_UNINIT
FunctionEnd

Function ShowTitle
    SendMessage $HWNDPARENT ${WM_SETTEXT} 0 "STR:$(^SetupCaption)"
FunctionEnd

Function un.ShowTitle
    SendMessage $HWNDPARENT ${WM_SETTEXT} 0 "STR:$(^UninstallCaption)"
FunctionEnd

Section "${PRODUCT}"
    SetOutPath "$INSTDIR"
    File "/oname=quorrel.exe" "${EXE}"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"

    ; MultiUser has set the shell folders to the kind of install: the user's Start menu or
    ; everyone's. The program starts in its own folder.
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\quorrel.exe" "" "$INSTDIR\quorrel.exe" 0

    ; SHCTX is HKCU for a per-user install, HKLM for everyone's.
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$\"$INSTDIR\quorrel.exe$\",0"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "The Quorrel developers"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" \
        "$\"$INSTDIR\${UNINSTALLER}$\" /$MultiUser.InstallMode"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" \
        "$\"$INSTDIR\${UNINSTALLER}$\" /$MultiUser.InstallMode /S"
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    ; Only the files this installed, by name: a Settings.ini or Log.txt that the player put beside
    ; the program stays, and with it the folder.
    Delete "$INSTDIR\quorrel.exe"
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    ; The program makes its settings folder at its first start, and the folder for a lock that the
    ; settings folder cannot hold: each goes where the player left nothing in it. Both are the
    ; user's, whoever the program was installed for.
    SetShellVarContext current
    RMDir "$APPDATA\${PRODUCT}"
    RMDir "$LOCALAPPDATA\${PRODUCT}"
SectionEnd
