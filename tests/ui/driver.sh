# The end-to-end driver: starts the demo browser in the current Wine prefix
# and works it with real input (xdotool on the X server in DISPLAY), reading
# window state with the probe. Sourced after scripts/lib.sh. Every wait polls
# (windows, files, registry) up to UI_WAIT seconds; nothing waits a fixed time.
UI_WAIT="${UI_WAIT:-30}"
PROBE="$BUILD/tests/marlin_ui_probe.exe"
BROWSER_TITLE="Marlin Demo Browser"
INSTALL_UNIX="$WINEPREFIX/drive_c/Program Files/MarlinToolbar"
XMLS="$INSTALL_UNIX/XMLS"
INI="$WINEPREFIX/drive_c/windows/MarlinToolbar.ini"

probe() { wine "$PROBE" "$@" </dev/null 2>/dev/null | tr -d '\r'; }

# wait_for DESCRIPTION COMMAND...: until COMMAND succeeds.
wait_for() {
    local what="$1" deadline=$((SECONDS + UI_WAIT))
    shift
    until "$@" >/dev/null 2>&1; do
        if [ "$SECONDS" -ge "$deadline" ]; then
            echo "    no $what within ${UI_WAIT}s" >&2
            return 1
        fi
        sleep 0.2
    done
}

browser_windows() { xdotool search --onlyvisible --name "$BROWSER_TITLE" 2>/dev/null | wc -l; }
has_window() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
no_window() { ! has_window "$1"; }

# Starts the demo browser (arguments are its own) and waits for its toolbar.
start_browser() {
    (cd "$INSTALL_UNIX" && exec wine "$DEMO_BROWSER" "$@" </dev/null >/dev/null 2>&1) &
    wait_for "browser window" has_window "$BROWSER_TITLE" &&
        wait_for "toolbar" probe rect "$BROWSER_TITLE" MarlinSearchBox
}

# The centre of a probe rectangle "x y w h" (or its point at dx, dy from the left top).
centre() { awk -v dx="${2:-}" -v dy="${3:-}" '{ print (dx == "" ? $1 + int($3 / 2) : $1 + dx), (dy == "" ? $2 + int($4 / 2) : $2 + dy); exit }' <<<"$1"; }

# The screen rectangle of the shown toolbar button with this caption (any browser window).
# Captions lose their leading blanks: a wide plug-in picture pushes its text right with them.
button_rect() { probe buttons "${2:-$BROWSER_TITLE}" | awk -F'|' -v c="$1" '{ sub(/^ +/, "", $1) } $1 == c && $3 == "shown" { print $2; exit }'; }
button_shown() { [ -n "$(button_rect "$@")" ]; }
# The captions of the shown buttons of the toolbar's row, in order.
row_captions() { probe buttons "$BROWSER_TITLE" | awk -F'|' '$3 == "shown" { sub(/^ +/, "", $1); print $1 }'; }

click_at() { xdotool mousemove "$1" "$2" sleep 0.05 click 1; }
click_rect() { local at; at=$(centre "$1" "${2:-}" "${3:-}"); [ -n "$at" ] && click_at $at; }
click_button() {
    local rect
    rect=$(button_rect "$1") || return 1
    [ -n "$rect" ] || { echo "    no button \"$1\"" >&2; return 1; }
    click_rect "$rect"
}
# A page link or other window known by its text.
click_named() {
    local rect
    rect=$(probe named "${2:-$BROWSER_TITLE}" "$1")
    [ -n "$rect" ] || { echo "    no window \"$1\"" >&2; return 1; }
    click_rect "$rect"
}

# Drags with the left button from one point to another in small steps, as a hand does.
drag() {
    local x0=$1 y0=$2 x1=$3 y1=$4 step
    xdotool mousemove "$x0" "$y0" sleep 0.1 mousedown 1
    for step in 1 2 3 4 5 6 7 8 9 10; do
        xdotool mousemove $((x0 + (x1 - x0) * step / 10)) $((y0 + (y1 - y0) * step / 10)) sleep 0.05
    done
    xdotool sleep 0.2 mouseup 1
}

address() { probe text "$BROWSER_TITLE" MarlinStandInAddressBar; }
address_has() { address | grep -qF -- "$1"; }
file_has() { [ -f "$1" ] && tr -d '\0' <"$1" | grep -qF -- "$2"; }
ini_value() { tr -d '\r' <"$INI" | sed -n "s/^$1=//p"; }
signed_in() { [ "$(ini_value IsLogin)" = 1 ]; }
reg_has() { wine reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' | grep -qF -- "${3:-$2}"; }

# Types an address into the address bar and waits for its page.
navigate() {
    click_rect "$(probe rect "$BROWSER_TITLE" MarlinStandInAddressBar)" &&
        xdotool key End shift+Home && xdotool type --delay 20 "$1" && xdotool key Return &&
        wait_for "page $1" has_window "$1"
}

# The search box's history button: its last 19 pixels.
open_history_list() {
    local box
    box=$(probe rect "$BROWSER_TITLE" MarlinSearchBox) && [ -n "$box" ] &&
        click_rect "$box" "$(($(awk '{print $3}' <<<"$box") - 9))" ""
}
history_has() { probe items "*" ListBox | grep -qF "$1"; }
no_history() { ! probe rect "*" ListBox; }

skin_changed_from() { [ -n "$(settings_skin)" ] && [ "$(settings_skin)" != "$1" ]; }

# The skin number ApplicationSettings.xml holds.
settings_skin() { tr -d '\0' <"$XMLS/ApplicationSettings.xml" | sed -n 's/.*<Skin ID="\([0-9]*\)".*/\1/p'; }

# The home button's menu: Up from the bottom reaches its fixed entries
# (signed in: ... Settings, Uninstall, Help, About, About Developer).
home_menu_entry() {
    local home
    home=$(button_rect MarlinToolbar) && [ -n "$home" ] || return 1
    # The button's arrow, its right end, opens the menu; the rest navigates.
    click_rect "$home" "$(($(awk '{print $3}' <<<"$home") - 5))" "" || return 1
    wait_for "the home menu" probe rect "*" "#32768" || return 1
    local i
    for ((i = 0; i < $1; ++i)); do xdotool key Up; done
    xdotool key Return
}

screenshot() { import -window root -display "$DISPLAY" "$1" 2>/dev/null || xwd -root -display "$DISPLAY" -out "$1.xwd"; }

close_browsers() {
    probe close "$BROWSER_TITLE" || true
    wait_for "browser to close" no_window "$BROWSER_TITLE"
}

# Removes what an earlier run installed or changed, so that every run starts
# from a fresh installation.
reset_installation() {
    rm -rf "$INSTALL_UNIX" "$INI"
    local key
    for key in 'HKLM\SOFTWARE\MarlinToolbar' 'HKCU\Software\MarlinToolbar' \
        'HKCU\Software\Microsoft\Internet Explorer\New Windows'; do
        wine reg delete "$key" /f </dev/null >/dev/null 2>&1 || true
    done
}
