#!/usr/bin/env bash
# The dialogs and settings files of the real program on a virtual X display
# with a tray host: the tray menu over the open details dialog, the keyboard in
# the settings dialog, the windows as a screen reader reads them, and settings
# files on a full disk or replaced by a FIFO.
# Usage: dialogs.sh PATH/TO/corvane [SCREENSHOT-FOLDER]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
trap 'stop_accessibility_bus; e2e_cleanup' EXIT

need_tools Xvfb trayer xdotool xwininfo xdpyinfo xprop import convert pgrep strip unshare mkfifo \
    dbus-daemon /usr/libexec/at-spi-bus-launcher /usr/bin/python3
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || fail "missing tool: python3-pyatspi"

BIN=$(readlink -f "$1")
SHOTS=${2:-$(mktemp -d)}
mkdir -p "$SHOTS"

MAIN_X=427 MAIN_Y=151       # the main window's client area
SET_X=525 SET_Y=321         # the settings dialog's
CODE_NAMES='iplable|iplabel|maclabel|mac|host|cname|lblRecv|lblSent|incommin|outgoin|Label[0-9]|s1|g1|noby|upby|downby|tby|support|ipa|sbm|padd|ipadd|sb|ds|dnss|br|bs|ib|ob|Image1|lblTitle|lblVersion'

start_display
start_tray
start_accessibility_bus

# What a screen reader hears: "role<TAB>name" of every object shown.
read_aloud() { /usr/bin/python3 "$here/accessible.py" Corvane; }
# The names a screen reader says for the labels shown.
label_names() { read_aloud | awk -F'\t' '$1 == "label" { print $2 }'; }

# holds FILE WORD: the file is exactly the record of WORD.
holds() { cmp -s "$1" <(printf '"%s"\r\n' "$2"); }

settings_dialog() {
    right_click_icon
    choose_item 2 # Settings
    wait_until 5 window_named "Corvane Settings" || fail "the tray menu's Settings opened no dialog"
    window_named "Corvane Settings"
}

# choose_green_and_close: opens the settings dialog from the tray menu, picks
# "Green Lights" and closes it with Close, which saves both files.
choose_green_and_close() {
    local dialog; dialog=$(settings_dialog)
    click_at $((SET_X + 8 + 8 + 6)) $((SET_Y + 72 + 32 + 8)) # "Green Lights"
    click_at $((SET_X + 128 + 36)) $((SET_Y + 152 + 12)) # Close
    wait_until 5 window_gone "$dialog" || fail "Close did not hide the settings dialog"
}

note "labels over AT-SPI say what they show"
start_corvane "$BIN"
wait_until 15 window_named Corvane || fail "the main window was not mapped"
main=$(window_named Corvane)
wait_until 10 tray_icon || fail "no tray icon"
sleep 1.2 # a few ticks, so the counts are in place
wait_until 10 read_aloud || fail "the program is not on the accessibility bus"
read_aloud >"$SHOTS/main.atspi"
names=$(label_names)
for caption in "IP :" "MAC :" "Host Name :" "Incomming Bytes Per Second :" "Outgoing Bytes Per Second :"; do
    grep -qxF "$caption" <<<"$names" || fail "no label read as \"$caption\":"$'\n'"$names"
done
grep -Eqx '([0-9A-F]{2}-){5}[0-9A-F]{2}' <<<"$names" || fail "the MAC address is not read out:"$'\n'"$names"
grep -Eqx '([0-9]{1,3}\.){3}[0-9]{1,3}' <<<"$names" || fail "the IP address is not read out:"$'\n'"$names"
grep -Eqx '[0-9.,]+ kbps' <<<"$names" || fail "the rates are not read out:"$'\n'"$names"
if cut -f2 "$SHOTS/main.atspi" | grep -Ex "$CODE_NAMES"; then fail "code names read out (above)"; fi
grep -qxF "$(printf 'image\tSupport')" "$SHOTS/main.atspi" || fail "the Support tab picture has no description"

note "details dialog: its labels over AT-SPI; the main window waits; the tray menu offers Exit alone"
open_details "$MAIN_X" "$MAIN_Y"
dlg=$(details_window)
names=$(label_names)
grep -qxF "Physical Address" <<<"$names" && grep -qxF "DNS Server" <<<"$names" ||
    fail "the details dialog's captions are not read out:"$'\n'"$names"
if grep -Ex "$CODE_NAMES" <<<"$names"; then fail "code names read out in the details dialog (above)"; fi
click_at $((MAIN_X + 280 + 36)) $((MAIN_Y + 384 + 12)) # the main window's Exit button
sleep 1
corvane_ended && fail "the main window's Exit button answered while the details dialog was open"
icon=$(tray_icon) || fail "no tray icon"
read -r ix iy iw ih <<<"$(geometry "$icon")"
xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 3
wait_until 5 other_window "$main" "$dlg" "$icon" || fail "no tray menu while the details dialog is open"
MENU=$(other_window "$main" "$dlg" "$icon")
shot "$SHOTS/tray-menu-over-details.png"
# Keyboard moves skip greyed items: with Exit the only one enabled, the first
# Down lands on it.
choose_item 1
wait_until 10 corvane_ended || fail "Exit from the tray menu over the details dialog did not end the program"
wait_until 5 no_tray_icon || fail "the tray icon outlived the program"

note "settings dialog: Tab and typing reach no stored word"
start_corvane "$BIN"
wait_until 15 window_named Corvane || fail "the main window did not come back"
wait_until 10 tray_icon || fail "no tray icon"
dialog=$(settings_dialog)
# focused NAME: the object with the keyboard focus is read out as NAME.
focused_name() { /usr/bin/python3 "$here/accessible.py" Corvane --focused | cut -f2; }
focused() { [ "$(focused_name)" = "$1" ]; }
xdotool windowfocus --sync "$dialog"
wait_until 5 focused Close || fail "the focus is on \"$(focused_name)\", not on Close, when the dialog opens"
# Each stop of the keyboard, as a screen reader hears it; Z and z typed at each.
stops=("Pink Lights" "Blue Lights (Default)" "Green Lights" "Use System Tray Icon  (Default)" "Use Bar" "Close")
for stop in "${stops[@]}"; do
    xdotool key --delay 50 Z z Tab
    wait_until 3 focused "$stop" ||
        fail "Tab went to \"$(focused_name)\", not \"$stop\""
done
click_at $((SET_X + 128 + 36)) $((SET_Y + 152 + 12)) # Close
wait_until 5 test -s "$E2E_WORK/settings.ini" || fail "Close wrote no settings.ini"
holds "$E2E_WORK/settings.ini" "Blue Lights" ||
    fail "typing reached settings.ini: $(od -c "$E2E_WORK/settings.ini")"
holds "$E2E_WORK/config.ini" "Use System Tray Icon" ||
    fail "typing reached config.ini: $(od -c "$E2E_WORK/config.ini")"
right_click_icon
choose_item 4 # Exit
wait_until 10 corvane_ended || fail "Exit did not end the program"

note "FIFOs in place of both settings files: start-up goes on, Close leaves them alone"
rm -f "$E2E_WORK/settings.ini" "$E2E_WORK/config.ini"
mkfifo "$E2E_WORK/settings.ini" "$E2E_WORK/config.ini"
start_corvane "$BIN"
wait_until 10 window_named Corvane || fail "the main window did not appear with FIFOs as settings files"
wait_until 10 tray_icon || fail "no tray icon"
choose_green_and_close
[ -p "$E2E_WORK/settings.ini" ] && [ -p "$E2E_WORK/config.ini" ] || fail "a FIFO was replaced"
[ -z "$(find "$E2E_WORK" -maxdepth 1 -name '*.ini.*')" ] || fail "temporaries left: $(ls "$E2E_WORK")"
right_click_icon
choose_item 4 # Exit
wait_until 10 corvane_ended || fail "Exit did not end the program"

if [ "$(id -u)" -ne 0 ]; then
    note "SKIPPED: a full tmpfs needs root"
else
    note "a full 1 MiB tmpfs: Close keeps the previous settings.ini"
    start_corvane_on_tmpfs "$BIN" 1m \
        "printf '\"Pink Lights\"\\r\\n' >settings.ini; dd if=/dev/zero of=fill bs=4k 2>/dev/null; true"
    ( : >"$CORVANE_DIR/probe" && echo x >"$CORVANE_DIR/probe" ) 2>/dev/null && fail "the tmpfs is not full"
    rm -f "$CORVANE_DIR/probe"
    wait_until 15 window_named Corvane || fail "the main window was not mapped"
    wait_until 10 tray_icon || fail "no tray icon"
    choose_green_and_close
    holds "$CORVANE_DIR/settings.ini" "Pink Lights" ||
        fail "settings.ini changed on a full disk: $(od -c "$CORVANE_DIR/settings.ini")"
    [ "$(ls "$CORVANE_DIR" | tr '\n' ' ')" = "corvane fill settings.ini " ] ||
        fail "files left on the full disk: $(ls "$CORVANE_DIR")"
    right_click_icon
    choose_item 4 # Exit
    wait_until 10 corvane_ended || fail "Exit did not end the program"
fi
note "all dialog checks passed; screenshots in $SHOTS"
