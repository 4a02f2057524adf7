#!/usr/bin/env bash
# The real program on a virtual X display with a tray host, driven as a user
# would: look at its windows, hover and click its icon, press its buttons.
# The program runs in a network namespace of this script's own, whose only
# traffic is what the script makes, so that the totals it shows are known.
# Usage: desktop.sh PATH/TO/corvane [SCREENSHOT-FOLDER]
# Exits 77 (skipped) when not run as root, which the namespace needs.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
trap e2e_cleanup EXIT
trap 'exit 1' INT TERM

need_tools Xvfb trayer xdotool xdpyinfo xwininfo xprop import convert tesseract ip unshare hostname perl od
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIPPED: the program runs in a network namespace of the test's own, which needs root"
    exit 77
fi

BIN=$(readlink -f "$1")
SHOTS=${2:-$(mktemp -d)}
mkdir -p "$SHOTS"

# What the program finds out about "this machine" in its namespace.
HOST=cv10-desk
ADDRESS=10.210.0.2
MAC=02:16:3E:5A:7C:91
NAMESERVER=192.0.2.53
ELSEWHERE=10.210.0.1 # on the interface's network, where nobody answers

# A run killed outright (a test timeout) leaves its namespace behind.
for ns in $(ip netns list | awk '$1 ~ /^cv10-e2e-[0-9]+$/ { print $1 }'); do
    kill -0 "${ns##*-}" 2>/dev/null || { ip netns del "$ns" 2>/dev/null || true; rm -rf "/etc/netns/$ns"; }
done
start_netns "cv10-e2e-$$"
netns_identity "$HOST" "$ADDRESS/24" "$MAC" "$NAMESERVER"
start_display
start_tray
start_corvane "$BIN"

note "main window"
wait_until 15 window_named Corvane || fail "the main window \"Corvane\" was not mapped"
main=$(window_named Corvane)
read -r x y w h <<<"$(geometry "$main")"
[ "$x $y" = "427 151" ] || fail "main window at $x,$y, not 427,151"
[ "$w $h" = "360 413" ] || fail "main window client area ${w}x$h, not 360x413"
xprop -id "$main" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || fail "main window is not topmost"
xprop -id "$main" _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR || fail "main window would show in a task bar"

note "tray icon"
wait_until 10 tray_icon || fail "no tray icon"
icon=$(tray_icon)
[ "$(parent_of "$icon")" != "$(root_id)" ] || fail "the tray icon is not embedded in the tray"
sleep 1.2 # a few ticks, so the since-start counts and the picture are in place
shot "$SHOTS/main-general.png"

note "tooltip"
read -r ix iy iw ih <<<"$(geometry "$icon")"
tooltip_shown() {
    local t
    for t in $(xdotool search --onlyvisible --classname '^corvane$'); do
        [ "$t" = "$main" ] || [ "$t" = "$icon" ] || { echo "$t"; return 0; }
    done
    return 1
}
no_tooltip() { ! tooltip_shown; }
# tooltip_totals NAME: hovers over the icon until a fresh tip shows, saves it
# as NAME.png and prints the received and sent totals it reads, as digits
# only, whatever the user's thousands separator.
tooltip_totals() {
    xdotool mousemove 100 700
    wait_until 5 no_tooltip || fail "the tooltip stayed after the pointer left the icon"
    xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2))
    sleep 0.2
    xdotool mousemove $((ix + iw / 2 + 1)) $((iy + ih / 2))
    wait_until 5 tooltip_shown || fail "no tooltip over the icon"
    sleep 0.2
    shot "$SHOTS/$1.png"
    local tx ty tw th tip
    read -r tx ty tw th <<<"$(geometry "$(tooltip_shown)")"
    tip=$(text_in "$SHOTS/$1.png" "$tx" "$ty" "$tw" "$th")
    echo "$tip" >&2
    local received sent
    received=$(sed -n 's/.*Total Bytes received:\(.*\)/\1/p' <<<"$tip" | head -n1 | tr -cd '0-9-')
    sent=$(sed -n 's/.*Total Bytes sent:\(.*\)/\1/p' <<<"$tip" | head -n1 | tr -cd '0-9-')
    [ -n "$received" ] && [ -n "$sent" ] || fail "the tooltip does not carry both totals: $tip"
    echo "$received $sent"
}
# expect_totals NAME RECEIVED SENT: what the test has sent in the namespace
# since it was made is all its interfaces counted, and the tooltip shows
# both totals in full, modulo 2^32 as the monitor sums them.
expect_totals() {
    local counted; counted=$(byte_counters)
    [ "$counted" = "$2 $3" ] || fail "the namespace counted $counted bytes (received, sent), not the $2 $3 the test sent"
    sleep 1.1 # two ticks, so the tip carries these totals
    local want="$(($2 % 4294967296)) $(($3 % 4294967296))" got
    got=$(tooltip_totals "$1")
    [ "$got" = "$want" ] || fail "the tooltip shows $got (received, sent), not $want"
    echo "tooltip totals $got, namespace counters $counted"
}
# Loopback counts each datagram (60,000 bytes, 8 of UDP and 20 of IPv4 header)
# as received and as sent; the ifb interface counts what is routed to it, with
# its 14-byte Ethernet header, as received only.
LOOP=60028
IFB=60042
datagrams 1000 127.0.0.1
datagrams 200 "$ELSEWHERE"
expect_totals tooltip $((1000 * LOOP + 200 * IFB)) $((1000 * LOOP))

note "tooltip past 2^31 bytes"
datagrams 35000 127.0.0.1
expect_totals tooltip-2g $((36000 * LOOP + 200 * IFB)) $((36000 * LOOP))
xdotool mousemove 100 700

note "double-click on the icon"
double_click_icon
sleep 0.5
[ -n "$(window_named Corvane)" ] || fail "the main window went away after a double-click"

note "pages"
click_at $((x + 59 + 22)) $((y + 8 + 9))
sleep 0.4
shot "$SHOTS/main-support.png"
[ "$(pixel "$SHOTS/main-support.png" $((x + 150)) $((y + 300)))" != "$(pixel "$SHOTS/main-general.png" $((x + 150)) $((y + 300)))" ] ||
    fail "the Support page did not cover the General page"

note "Details... opens the details dialog"
click_at $((x + 64 + 36)) $((y + 144 + 12))
wait_until 5 details_window || fail "Details... opened no dialog"
dlg=$(details_window)
read -r dx dy dw dh <<<"$(geometry "$dlg")"
[ "$dx $dy $dw $dh" = "427 159 343 322" ] || fail "details dialog at $dx,$dy ${dw}x$dh, not 427,159 343x322"
sleep 0.3
shot "$SHOTS/details.png"
rows=$(text_in "$SHOTS/details.png" $((dx + 170)) $((dy + 52)) 170 88)
echo "$rows"
grep -qF "${MAC//:/-}" <<<"$rows" || fail "the details dialog does not show the MAC address ${MAC//:/-}"
grep -qF "$ADDRESS" <<<"$rows" || fail "the details dialog does not show the IP address $ADDRESS"
grep -qF "$NAMESERVER" <<<"$rows" || fail "the DNS row does not show $NAMESERVER"
click_at $((dx + 256 + 36)) $((dy + 288 + 12)) # Close
wait_until 5 window_gone "$dlg" || fail "Close did not hide the details dialog"
click_at $((x + 8 + 20)) $((y + 8 + 9))
sleep 0.4

note "About"
click_at $((x + 200 + 36)) $((y + 384 + 12))
wait_until 5 window_named "About Corvane" || fail "About opened no about box"
about=$(window_named "About Corvane")
read -r ax ay aw ah <<<"$(geometry "$about")"
[ "$ax $ay $aw $ah" = "227 234 347 153" ] || fail "about box at $ax,$ay ${aw}x$ah, not 227,234 347x153"
shot "$SHOTS/about.png"
click_at $((ax + 256 + 42)) $((ay + 120 + 11)) # OK
wait_until 5 window_gone "$about" || fail "OK did not close the about box"
[ -z "$(xdotool search --name '^About Corvane$' 2>/dev/null)" ] || fail "the about box was hidden, not destroyed"

note "tray menu: Hide, then a double-click shows the window again"
right_click_icon
shot "$SHOTS/tray-menu.png"
read -r mx my mw mh <<<"$(geometry "$MENU")"
[ $((mx + mw)) -ge $((ix + iw / 2 - 2)) ] && [ $((mx + mw)) -le $((ix + iw / 2 + 2)) ] ||
    fail "the menu's right edge ($((mx + mw))) is not at the pointer ($((ix + iw / 2)))"
choose_item 1 # Hide
wait_until 5 window_gone "$main" || fail "Hide did not hide the main window"
double_click_icon
wait_until 5 window_named Corvane || fail "a double-click did not show the main window"
main=$(window_named Corvane)

note "tray menu: Settings"
right_click_icon
choose_item 2 # Settings
wait_until 5 window_named "Corvane Settings" || fail "Settings did not open the settings dialog"
dialog=$(window_named "Corvane Settings")
read -r sx sy sw sh <<<"$(geometry "$dialog")"
[ "$sx $sy $sw $sh" = "525 321 208 180" ] || fail "settings dialog at $sx,$sy ${sw}x$sh, not 525,321 208x180"
sleep 0.3
shot "$SHOTS/settings.png"

note "Use Bar removes the icon, Use System Tray Icon brings it back"
click_at $((sx + 8 + 8 + 6)) $((sy + 8 + 32 + 8)) # "Use Bar"
wait_until 1.5 no_tray_icon || fail "the icon stayed in bar mode"
wait_until 5 window_named Form2 || fail "the bar did not appear"
click_at $((sx + 8 + 8 + 6)) $((sy + 8 + 16 + 8)) # "Use System Tray Icon"
wait_until 2 tray_icon || fail "the icon did not come back"
wait_until 5 window_gone "$(xdotool search --name '^Form2$' | head -n1)" || fail "the bar stayed"
click_at $((sx + 128 + 36)) $((sy + 152 + 12)) # Close
wait_until 5 window_gone "$dialog" || fail "Close did not hide the settings dialog"

note "Exit button"
click_at $((x + 280 + 36)) $((y + 384 + 12))
wait_until 10 corvane_ended || fail "Exit did not end the program"
wait_until 5 no_tray_icon || fail "the tray icon outlived the program"
shot "$SHOTS/after-exit.png"

note "Exit from the tray menu"
start_corvane "$BIN"
wait_until 15 window_named Corvane || fail "the main window did not come back"
wait_until 10 tray_icon || fail "no tray icon on the second start"
right_click_icon
choose_item 4 # Exit
wait_until 10 corvane_ended || fail "the tray menu's Exit did not end the program"
wait_until 5 no_tray_icon || fail "the tray icon outlived the program"

note "a termination request (log-off, kill) ends it like Exit"
start_corvane "$BIN"
wait_until 10 tray_icon || fail "no tray icon"
kill -TERM "$CORVANE_PID"
wait_until 10 corvane_ended || fail "SIGTERM did not end the program"
wait_until 5 no_tray_icon || fail "the tray icon outlived a SIGTERM"

note "Green Lights and Close write settings.ini; the next start shows the icon green"
start_corvane "$BIN"
wait_until 15 window_named Corvane || fail "the main window did not come back"
wait_until 10 tray_icon || fail "no tray icon"
right_click_icon
choose_item 2 # Settings
wait_until 5 window_named "Corvane Settings" || fail "no settings dialog"
click_at $((sx + 8 + 8 + 6)) $((sy + 72 + 32 + 8)) # "Green Lights"
click_at $((sx + 128 + 36)) $((sy + 152 + 12)) # Close
wait_until 5 test -s "$E2E_WORK/settings.ini" || fail "Close wrote no settings.ini"
[ "$(od -An -c "$E2E_WORK/settings.ini" | tr -s ' ')" = ' " G r e e n L i g h t s " \r \n' ] &&
    [ "$(stat -c %s "$E2E_WORK/settings.ini")" = 16 ] || fail "settings.ini is not the 16-byte record: $(od -c "$E2E_WORK/settings.ini")"
right_click_icon
choose_item 4 # Exit
wait_until 10 corvane_ended || fail "Exit did not end the program"
start_corvane "$BIN"
wait_until 10 tray_icon || fail "no tray icon after a restart"
icon=$(tray_icon)
read -r ix iy iw ih <<<"$(geometry "$icon")"
# Traffic on loopback both ways, so that both screens are lit.
loopback_traffic 3 &
traffic=$!
sleep 1.5
shot "$SHOTS/green-icon.png"
wait "$traffic" || true
convert "$SHOTS/green-icon.png" -crop "${iw}x$ih+$ix+$iy" +repage "$E2E_WORK/icon.png"
green=$(convert "$E2E_WORK/icon.png" -fuzz 8% -fill black +opaque "rgb(0,255,0)" -fill white -opaque "rgb(0,255,0)" -format '%[fx:round(mean*w*h)]' info:)
cyan=$(convert "$E2E_WORK/icon.png" -fuzz 8% -fill black +opaque "rgb(0,255,255)" -fill white -opaque "rgb(0,255,255)" -format '%[fx:round(mean*w*h)]' info:)
[ "$green" -ge 20 ] && [ "$cyan" -eq 0 ] || fail "the icon is not green after the restart ($green green, $cyan cyan pixels)"

note "Use Bar is stored and shows the strip at the next start"
right_click_icon
choose_item 2 # Settings
wait_until 5 window_named "Corvane Settings" || fail "no settings dialog"
click_at $((sx + 8 + 8 + 6)) $((sy + 8 + 32 + 8)) # "Use Bar"
click_at $((sx + 128 + 36)) $((sy + 152 + 12)) # Close
wait_until 5 grep -q '"Use Bar"' "$E2E_WORK/config.ini" || fail "Close did not store Use Bar"
[ "$(stat -c %s "$E2E_WORK/config.ini")" = 11 ] || fail "config.ini is not the 11-byte record"
main=$(window_named Corvane)
click_at $((427 + 280 + 36)) $((151 + 384 + 12)) # Exit
wait_until 10 corvane_ended || fail "Exit did not end the program"
start_corvane "$BIN"
wait_until 15 window_named Form2 || fail "the bar was not shown at start-up"
bar=$(window_named Form2)
read -r bx by bw bh <<<"$(geometry "$bar")"
[ "$bx $by $bw $bh" = "3 -2 794 21" ] || fail "the bar is at $bx,$by ${bw}x$bh, not 3,-2 794x21"
xprop -id "$bar" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE && fail "the bar must not be topmost"
wait_until 2 no_tray_icon || fail "the icon stayed in bar mode"
sleep 1
shot "$SHOTS/bar.png"
convert "$SHOTS/bar.png" -crop 800x24+0+0 +repage "$SHOTS/bar-strip.png"
[ "$(pixel "$SHOTS/bar.png" 8 8)" = "0,0,0" ] || fail "the strip is not black at its left end"
xdotool mousemove 8 8 click 3
wait_until 5 other_window "$(window_named Corvane)" "$bar" || fail "no menu after a right-click on the bar"
MENU=$(other_window "$(window_named Corvane)" "$bar")
shot "$SHOTS/bar-menu.png"
choose_item 4 # Exit (Hide, Settings, About, Exit)
wait_until 10 corvane_ended || fail "the bar's Exit did not end the program"
note "all desktop checks passed; screenshots in $SHOTS"
