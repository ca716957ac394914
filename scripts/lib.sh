# Shared by the scripts: paths, the Wine prefix, and starting/stopping the
# X server and the persistent wineserver.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${MARLIN_BUILD_DIR:-$ROOT/build}"
export WINEPREFIX="$BUILD/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

XVFB_PID=""

start_display() {
    if [ -n "${DISPLAY:-}" ] && [ "${1:-}" != "--own" ]; then return 0; fi
    local n
    for n in $(seq 90 140); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then break; fi
    done
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && return 0
        sleep 0.1
    done
    echo "Xvfb did not start" >&2
    return 1
}

# The prefix is made once per build tree; wineboot's services must not hold
# the caller's output open, or ctest waits for them forever.
start_wine() {
    mkdir -p "$WINEPREFIX"
    wineserver -p </dev/null >/dev/null 2>&1
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wineboot -i </dev/null >/dev/null 2>&1
    fi
    wine wineboot </dev/null >/dev/null 2>&1
}

# On a private X server there is no window manager: Wine must not wait for one
# to confirm that a window was hidden (two seconds a window otherwise).
unmanaged_windows() {
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
}

managed_windows() {
    wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f </dev/null >/dev/null 2>&1 || true
}

stop_all() {
    wineserver -k </dev/null >/dev/null 2>&1 || true
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
}

# Installs the toolbar into the Wine prefix with the real installer, silently:
# the installation folder with its data folders, the first settings in the
# registry and in MarlinToolbar.ini, and the registered DLL. Over an earlier
# installation it keeps the user's toolbars.
INSTALL_WIN='C:\Program Files\MarlinToolbar\'
DEMO_BROWSER="$BUILD/standins/browser/MarlinDemoBrowser.exe"

install_into_prefix() {
    wine "$BUILD/MarlinToolbarSetup.exe" /S
} </dev/null >/dev/null 2>&1
