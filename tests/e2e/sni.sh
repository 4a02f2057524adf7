#!/usr/bin/env bash
# The real program on a virtual X display whose only tray is a StatusNotifier
# host on a session bus of the test's own, driven through the calls a panel
# makes (sni.py): the item, its exported menu, Activate and ContextMenu.
# Usage: sni.sh PATH/TO/corvane
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
trap e2e_cleanup EXIT

need_tools Xvfb xdpyinfo xdotool xwininfo dbus-daemon /usr/bin/python3
/usr/bin/python3 -c 'from gi.repository import Gio' 2>/dev/null || fail "missing tool: python3-gi (gi.repository.Gio)"
BIN=$(readlink -f "$1")
sni() { /usr/bin/python3 "$here/sni.py" "$@"; }
# The visible items of the exported menu, as "label,label,...";
# with "enabled"/"disabled" only those.
offered() {
    sni menu | awk -F'|' -v want="${1:-}" '$3 == "true" && $1 != "-" &&
        (want == "" || (want == "enabled") == ($2 == "true")) { print $1 }' | paste -sd, -
}

start_display
start_session_bus
sni watcher >"$E2E_WORK/panel.log" 2>&1 &
E2E_PIDS+=($!)
wait_until 10 grep -qx ready "$E2E_WORK/panel.log" || fail "the StatusNotifier watcher did not start: $(cat "$E2E_WORK/panel.log")"

start_corvane "$BIN"

note "the item registers with its title, picture and menu"
wait_until 15 window_named Corvane || fail "the main window \"Corvane\" was not mapped"
main=$(window_named Corvane)
wait_until 10 grep -q '^icon' "$E2E_WORK/panel.log" || fail "no item registered: $(cat "$E2E_WORK/panel.log")"
cat "$E2E_WORK/panel.log"
grep -qx 'title Corvane' "$E2E_WORK/panel.log" || fail "the item's title is not \"Corvane\""
grep -Eqx 'icon (.* )?16x16( .*)?' "$E2E_WORK/panel.log" || fail "the item shows no 16x16 picture"
grep -Eqx 'menu /[A-Za-z].*' "$E2E_WORK/panel.log" && ! grep -qx 'menu /NO_DBUSMENU' "$E2E_WORK/panel.log" ||
    fail "the item exports no menu"

note "the exported menu offers Hide while the window is shown, Show once hidden"
[ "$(offered)" = "Hide,Settings,About,Exit" ] || fail "the menu offers $(offered) while the window is shown"
sni click Hide
wait_until 5 window_gone "$main" || fail "the exported menu's Hide did not hide the window"
[ "$(offered)" = "Show,Settings,About,Exit" ] || fail "the menu offers $(offered) while the window is hidden"

note "Activate (the panel's click) shows the hidden window"
sni activate 10 10 >/dev/null
wait_until 5 window_named Corvane || fail "Activate did not show the hidden window"
main=$(window_named Corvane)

note "ContextMenu is answered at once, and the menu opens where the panel says"
xdotool mousemove 100 100
ms=$(sni context-menu 900 300)
echo "ContextMenu answered in $ms ms"
[ "$ms" -lt 1000 ] || fail "ContextMenu took $ms ms to answer"
wait_until 5 other_window "$main" || fail "no menu after ContextMenu"
MENU=$(other_window "$main")
read -r mx my mw mh <<<"$(geometry "$MENU")"
[ $((mx + mw)) -eq 900 ] && [ "$my" -eq 300 ] || fail "the menu is at $mx,$my ${mw}x$mh, not right-aligned at 900,300"
choose_item 1 # Hide
wait_until 5 window_gone "$main" || fail "Hide from the popped-up menu did not hide the window"
sni activate 0 0 >/dev/null
wait_until 5 window_named Corvane || fail "Activate did not show the window again"
main=$(window_named Corvane)
read -r x y _ _ <<<"$(geometry "$main")"

note "while the details dialog is open only Exit is enabled, and Exit ends the program"
open_details "$x" "$y"
[ "$(offered enabled)" = "Exit" ] && [ "$(offered disabled)" = "Hide,Settings,About" ] ||
    fail "while the details are open the menu enables $(offered enabled) and greys $(offered disabled)"
sni click Exit
wait_until 10 corvane_ended || fail "the exported menu's Exit did not end the program"
wait_until 5 grep -q '^gone' "$E2E_WORK/panel.log" || fail "the item outlived the program"
note "all StatusNotifier checks passed"
