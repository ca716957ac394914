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

# Lays out an installation in the Wine prefix as the installer would: the
# installation folder with its data folders, the first settings in the
# registry and in MarlinToolbar.ini, and the registered DLL.
INSTALL_WIN='C:\Program Files\MarlinToolbar\'

install_into_prefix() {
    local install_unix="$WINEPREFIX/drive_c/Program Files/MarlinToolbar"
    mkdir -p "$install_unix/XMLS" "$install_unix/Images" "$install_unix/Plugins" \
             "$install_unix/Skins" "$install_unix/TempCache/XMLS"
    cp "$BUILD/MarlinToolbar.dll" "$install_unix/"
    cp "$BUILD/standins/api-host/MarlinToolbarAPI.exe" "$install_unix/"
    cp "$BUILD/standins/browser/MarlinDemoBrowser.exe" "$install_unix/"
    cp "$BUILD"/Images/*.ico "$BUILD"/Images/*.bmp "$install_unix/Images/"
    cp -r "$BUILD"/Skins/. "$install_unix/Skins/"
    # The sample plug-ins, their catalogue (also as the protected-mode seed)
    # and the plug-in SDK stand-in with its script.
    local plugin
    for plugin in 1/EBay 3/YouTube; do
        mkdir -p "$install_unix/Plugins/${plugin%/*}"
        cp "$BUILD/standins/plugins/Plugins/$plugin.dll" "$install_unix/Plugins/${plugin%/*}/"
    done
    cp "$ROOT/standins/plugins/Plug-in.xml" "$install_unix/XMLS/"
    cp "$ROOT/standins/plugins/Plug-in.xml" "$install_unix/TempCache/XMLS/"
    mkdir -p "$install_unix/PluginSdk"
    cp "$BUILD/standins/plugin-sdk/PluginSdk.dll" "$ROOT/standins/plugin-sdk/PluginSdk.xml" "$install_unix/PluginSdk/"
    local settings="$install_unix/XMLS/ApplicationSettings.xml"
    if [ ! -f "$settings" ]; then
        printf '<MTRoot><Popup Status="0"/><LogURL Yes="0"/><AutoUpdate Plugin="1"/><Skin ID="2"/></MTRoot>\r\n' > "$settings"
    fi

    local key='HKLM\SOFTWARE\MarlinToolbar'
    wine reg add "$key" /v ApplicationPath /t REG_SZ /d "$INSTALL_WIN" /f
    wine reg add "$key" /v IsLogin /t REG_SZ /d 0 /f
    wine reg add "$key" /v btbho /t REG_SZ /d 1 /f

    local ini="$WINEPREFIX/drive_c/windows/MarlinToolbar.ini"
    if [ ! -f "$ini" ]; then
        printf '[MTSettings]\r\nApplicationPath=%s\r\nIsLogin=0\r\nbtbho=1\r\nPkey=\r\nBaseURL=\r\nSearchSite=\r\nDynamicIP=\r\nOsInfo=\r\n' \
            "$INSTALL_WIN" > "$ini"
    fi
    wine regsvr32 /s "${INSTALL_WIN}MarlinToolbar.dll"
    wine regsvr32 /s "${INSTALL_WIN}PluginSdk\\PluginSdk.dll"
} </dev/null >/dev/null 2>&1
