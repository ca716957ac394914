#!/usr/bin/env bash
# The real installer and uninstaller, silent, in a Wine prefix of their own:
# install, install over it, uninstall, uninstall again, and an installation
# into a folder with blanks and letters beyond ASCII that the toolbar then
# loads from, and its uninstallation while a browser has the toolbar loaded. The prefix's registry and files after the uninstallation must
# be those before the installation, but for the user's toolbars, which stay.
#
# installer_test.sh BUILD_DIR   (DISPLAY set: ctest runs under scripts/test)
set -euo pipefail

BUILD="$(cd "$1" && pwd)"
HERE="$(cd "$(dirname "$0")" && pwd)"
SETUP="$BUILD/MarlinToolbarSetup.exe"
SCRATCH="$(mktemp -d /tmp/marlin-installer-test.XXXXXX)"
export WINEPREFIX="$SCRATCH/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64

finish() {
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    rm -rf "$SCRATCH"
}
trap finish EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { local what="$1"; shift; if "$@"; then echo "ok: $what"; else fail "$what"; fi; }

# Every Wine program here ends within the time given; a dialog that nobody
# answers would not.
run() { timeout 120 wine "$@" </dev/null >/dev/null 2>&1; }
# The uninstaller copies itself away and returns at once; the non-persistent
# server ends with the last program of the prefix.
settle() { timeout 120 wineserver -w </dev/null >/dev/null 2>&1; }

sha() { sha1sum "$1" | cut -d' ' -f1; }

snapshot() {
    run regedit /E "$SCRATCH/hklm.reg" HKEY_LOCAL_MACHINE
    run regedit /E "$SCRATCH/hkcu.reg" HKEY_CURRENT_USER
    settle
    python3 "$HERE/snapshot.py" "$WINEPREFIX" "$1" "$SCRATCH/hklm.reg" "$SCRATCH/hkcu.reg"
}

DEFAULT_UNIX="$WINEPREFIX/drive_c/Program Files/MarlinToolbar"
DEFAULT_WIN='C:\Program Files\MarlinToolbar'

wineboot -i </dev/null >/dev/null 2>&1
settle
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
settle
snapshot "$SCRATCH/before.txt"

# Install, then a user's edit of the signed-in toolbars, then install over it.
check "silent install" run "$SETUP" /S
settle
check "settings in the registry" sh -c "wine reg query 'HKLM\\SOFTWARE\\MarlinToolbar' /v ApplicationPath 2>/dev/null | grep -qF 'C:\\Program Files\\MarlinToolbar\\'"
check "the seed documents" test -f "$DEFAULT_UNIX/TempCache/XMLS/MarlinToolbarLogin.xml" -a -f "$DEFAULT_UNIX/XMLS/LogURL.xml"
echo '<Root Default="1"><Tab Name="Mine" TabID="1"/></Root>' > "$DEFAULT_UNIX/XMLS/MarlinToolbarLogin.xml"
cp "$DEFAULT_UNIX/XMLS/MarlinToolbarLogin.xml" "$SCRATCH/mine.xml"
check "install over an installation" run "$SETUP" /S
settle
check "install over it keeps the user's toolbars" cmp -s "$SCRATCH/mine.xml" "$DEFAULT_UNIX/XMLS/MarlinToolbarLogin.xml"
cp "$DEFAULT_UNIX/Uninstall.exe" "$SCRATCH/Uninstall-copy.exe"

# Uninstall: everything as before but the kept toolbar documents.
check "silent uninstall" run "$DEFAULT_WIN\\Uninstall.exe" /S
settle
snapshot "$SCRATCH/after.txt"
check "nothing waits for a restart" sh -c "! wine reg query 'HKLM\\System\\CurrentControlSet\\Control\\Session Manager' /v PendingFileRenameOperations 2>/dev/null | grep -qi marlin"
kept=$(diff "$SCRATCH/before.txt" "$SCRATCH/after.txt" | grep '^[<>]' || true)
expected=$(printf '%s\n' "> dir Program Files/MarlinToolbar" "> dir Program Files/MarlinToolbar/XMLS" \
    "> file Program Files/MarlinToolbar/XMLS/MarlinToolbarBasic.xml $(sha "$BUILD/installer/prepared/seed/MarlinToolbarBasic.xml")" \
    "> file Program Files/MarlinToolbar/XMLS/MarlinToolbarLogin.xml $(sha "$SCRATCH/mine.xml")")
if [ "$kept" = "$expected" ]; then
    echo "ok: uninstall leaves the prefix as before but the user's toolbars"
else
    fail "uninstall leaves the prefix as before but the user's toolbars; differences:"
    diff <(echo "$expected") <(echo "$kept") || true
fi

# A second uninstall finds nothing to do and asks nothing.
check "a second uninstall" run "$SCRATCH/Uninstall-copy.exe" /S "_?=$DEFAULT_WIN"
settle
snapshot "$SCRATCH/again.txt"
check "a second uninstall changes nothing" cmp -s "$SCRATCH/after.txt" "$SCRATCH/again.txt"

# The next installation finds the kept toolbars.
check "reinstall" run "$SETUP" /S
settle
check "the kept toolbars are found again" cmp -s "$SCRATCH/mine.xml" "$DEFAULT_UNIX/XMLS/MarlinToolbarLogin.xml"
run "$DEFAULT_WIN\\Uninstall.exe" /S
settle

# A folder with blanks and letters beyond ASCII; the toolbar loads from it in
# the demo browser (a missing file would stop it at a message box).
ODD_WIN='C:\Programme mit Leerzeichen\Märlin Töölbar'
ODD_UNIX="$WINEPREFIX/drive_c/Programme mit Leerzeichen/Märlin Töölbar"
# The installer reads /D= unquoted to the end of its command line, which wine
# would quote: cmd passes the line on as it is.
cp "$SETUP" "$WINEPREFIX/drive_c/Setup.exe"
check "install into $ODD_WIN" run cmd /c "C:\\Setup.exe /S /D=$ODD_WIN"
settle
check "the installation is there" test -f "$ODD_UNIX/MarlinToolbar.dll" -a -f "$ODD_UNIX/Skins/MTSkins.xml"
cp "$ODD_UNIX/XMLS/MarlinToolbarErrorLog.xml" "$SCRATCH/empty-log.xml"
check "the toolbar loads from it" run "$BUILD/standins/browser/MarlinDemoBrowser.exe" --screenshot 'C:\shot.bmp'
settle
check "the toolbar drew itself" test -s "$WINEPREFIX/drive_c/shot.bmp"
check "the toolbar logged no error" cmp -s "$SCRATCH/empty-log.xml" "$ODD_UNIX/XMLS/MarlinToolbarErrorLog.xml"

# Uninstalling while a browser window has the toolbar loaded: the settings
# and the registration go at once, the DLL at the next restart.
cp "$ODD_UNIX/Uninstall.exe" "$WINEPREFIX/drive_c/Uninstall-copy.exe"
wine "$BUILD/standins/browser/MarlinDemoBrowser.exe" </dev/null >/dev/null 2>&1 &
loaded() { grep -qs "Märlin Töölbar/MarlinToolbar.dll" /proc/[0-9]*/maps; }
for _ in $(seq 1 100); do loaded && break; sleep 0.2; done
check "a browser has the toolbar loaded" loaded
check "uninstall while it is loaded" run cmd /c "C:\\Uninstall-copy.exe /S _?=$ODD_WIN"
check "its settings are gone" sh -c "! wine reg query 'HKLM\\SOFTWARE\\MarlinToolbar' >/dev/null 2>&1"
check "its registration is gone" sh -c "! wine reg query 'HKCR\\CLSID\\{72D5F972-7F68-44FA-9029-CC178AEA3780}' >/dev/null 2>&1"
check "the DLL goes at the next restart" sh -c "wine reg query 'HKLM\\System\\CurrentControlSet\\Control\\Session Manager' /v PendingFileRenameOperations 2>/dev/null | grep -q 'lbar.MarlinToolbar.dll'"
wineserver -k </dev/null >/dev/null 2>&1 || true

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
