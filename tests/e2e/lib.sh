# Shared by the desktop scripts: a virtual X display with a tray, the program
# started in a folder of its own (and, when asked, in a network namespace of
# the script's own), and small helpers to wait, look and click.

E2E_PIDS=()
E2E_WORK=""
E2E_NETNS=""    # the namespace start_corvane runs the program in, when set
E2E_HOSTNAME="" # the host name the program sees there, when set
E2E_LIB=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

e2e_cleanup() {
    local pid
    for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${E2E_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
    [ -n "$E2E_WORK" ] && rm -rf "$E2E_WORK"
    if [ -n "$E2E_NETNS" ]; then
        ip netns del "$E2E_NETNS" 2>/dev/null || true
        rm -rf "/etc/netns/$E2E_NETNS"
    fi
    return 0
}

fail() { echo "FAIL: $*" >&2; exit 1; }
note() { echo "-- $*"; }

# need_tools COMMAND...: ends the script at once when any is missing, naming
# each with the Debian package that brings it.
need_tools() {
    local missing=() t
    for t in "$@"; do
        command -v "$t" >/dev/null 2>&1 && continue
        case $t in
        Xvfb) missing+=("Xvfb (xvfb)") ;;
        xdpyinfo | xwininfo | xprop) missing+=("$t (x11-utils)") ;;
        import | convert) missing+=("$t (imagemagick)") ;;
        tesseract) missing+=("tesseract (tesseract-ocr)") ;;
        ip) missing+=("ip (iproute2)") ;;
        unshare) missing+=("unshare (util-linux)") ;;
        sysctl) missing+=("sysctl (procps)") ;;
        *) missing+=("$t") ;;
        esac
    done
    [ ${#missing[@]} -eq 0 ] || fail "missing tools: ${missing[*]}"
}

# wait_until SECONDS COMMAND...: polls until the command succeeds (SECONDS may
# have a fraction).
wait_until() {
    local ms; ms=$(awk -v s="$1" 'BEGIN { printf "%d", s * 1000 }'); shift
    local end=$(( $(date +%s%N) + ms * 1000000 ))
    until "$@" >/dev/null 2>&1; do
        [ "$(date +%s%N)" -lt "$end" ] || return 1
        sleep 0.1
    done
}

# The display listens on no TCP port. Clients reach it through its socket in
# /tmp/.X11-unix, also from another network namespace, where its abstract
# socket cannot be seen.
start_display() {
    need_tools Xvfb xdpyinfo
    local file; file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$file" >/dev/null 2>&1 &
    E2E_PIDS+=($!)
    wait_until 10 test -s "$file" || fail "Xvfb did not start"
    local number; number=$(head -n1 "$file")
    rm -f "$file"
    export DISPLAY=":$number"
    [ -S "/tmp/.X11-unix/X$number" ] || fail "display $DISPLAY has no socket in /tmp/.X11-unix"
    wait_until 10 xdpyinfo || fail "display $DISPLAY does not answer"
    unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY
    export QT_QPA_PLATFORM=xcb
}

tray_is_up() { xwininfo -root -tree | grep -q '"panel": ("panel" "trayer")'; }

start_tray() {
    need_tools trayer xwininfo
    trayer --edge bottom --align right --widthtype request --height 24 --SetDockType true \
        --SetPartialStrut true --transparent false --tint 0x404040 >/dev/null 2>&1 &
    E2E_PIDS+=($!)
    wait_until 10 tray_is_up || fail "the tray did not come up"
}

# start_corvane BINARY: runs a copy of the program from a folder of its own,
# so its settings files land there (in E2E_NETNS when that is set); sets
# CORVANE_PID.
start_corvane() {
    [ -n "$E2E_WORK" ] || E2E_WORK=$(mktemp -d)
    cp "$1" "$E2E_WORK/corvane"
    start_program "$E2E_WORK/corvane" "$E2E_WORK/corvane.log"
}

# start_program BINARY LOG: runs the program where it is (its settings files
# are those beside it); sets CORVANE_PID. In E2E_NETNS, when that is set, with
# E2E_HOSTNAME as its host name when that is set. Each step execs the next, so
# the PID is the program's own.
start_program() {
    if [ -n "$E2E_NETNS" ]; then
        ip netns exec "$E2E_NETNS" unshare --uts -- sh -c \
            '[ -z "$1" ] || hostname "$1" || exit 1; shift; exec "$@"' sh "$E2E_HOSTNAME" "$1" >"$2" 2>&1 &
    else
        "$1" >"$2" 2>&1 &
    fi
    CORVANE_PID=$!
    E2E_PIDS+=($CORVANE_PID)
}

# The program has ended (a child that ended stays a zombie until reaped).
corvane_ended() {
    local state
    state=$(ps -o stat= -p "$CORVANE_PID" 2>/dev/null) || return 0
    [[ $state == Z* ]]
}

# The program's visible top-level windows with the given title.
window_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1; }

# geometry WINDOW: "X Y W H" as the X server has it.
geometry() {
    xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
        /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}'
}

# The tray icon: the program's only window of at most 32x32 that is viewable.
tray_icon() {
    local w g
    for w in $(xdotool search --classname '^corvane$' 2>/dev/null); do
        xwininfo -id "$w" 2>/dev/null | grep -q 'IsViewable' || continue
        # The window may go away between the search and this look.
        g=($(geometry "$w" 2>/dev/null)) || continue
        [ ${#g[@]} -eq 4 ] || continue
        if [ "${g[2]}" -le 32 ] && [ "${g[3]}" -le 32 ]; then echo "$w"; return 0; fi
    done
    return 1
}

no_tray_icon() { ! tray_icon; }

parent_of() { xwininfo -id "$1" -tree | awk '/Parent window id/{print $4}'; }

root_id() { xwininfo -root | awk '/Window id:/{print $4}'; }

shot() { import -window root "$1"; }

# text_in SHOT X Y W H: the text OCR reads in that part of a screenshot.
text_in() {
    convert "$1" -crop "$4x$5+$2+$3" +repage -resize 400% -colorspace Gray "$E2E_WORK/ocr.png"
    tesseract "$E2E_WORK/ocr.png" - 2>/dev/null
}

# click_at X Y [BUTTON]: a click at a screen position.
click_at() { xdotool mousemove "$1" "$2" click "${3:-1}"; }

# pixel SHOT X Y: "r,g,b" of one pixel.
pixel() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:; }

# byte_counters: the bytes received and sent by all interfaces together, in
# full, as the kernel counts them (in E2E_NETNS when that is set).
byte_counters() {
    local dev
    if [ -n "$E2E_NETNS" ]; then dev=$(ip netns exec "$E2E_NETNS" cat /proc/net/dev); else dev=$(cat /proc/net/dev); fi
    awk -F'[: ]+' 'NR > 2 { for (i = 1; i <= NF; i++) if ($i != "") break; r += $(i + 1); s += $(i + 9) }
        END { printf "%.0f %.0f\n", r, s }' <<<"$dev"
}

# The received and sent totals as the monitor sums them: the low 32 bits of
# every interface's counters, summed modulo 2^32.
kernel_totals() {
    local c; c=($(byte_counters))
    echo $((c[0] % 4294967296)) $((c[1] % 4294967296))
}

# start_netns NAME: a network namespace of the script's own for the program
# (see start_corvane), removed by e2e_cleanup. Its loopback is up, and IPv6 is
# off, so that the kernel sends nothing of its own there: all its traffic is
# what the script makes.
start_netns() {
    need_tools ip unshare hostname perl sysctl
    [ "$(id -u)" -eq 0 ] || fail "a network namespace needs root"
    E2E_NETNS=$1
    ip netns add "$E2E_NETNS" || fail "could not make network namespace $E2E_NETNS"
    ip -n "$E2E_NETNS" link set lo up
    ip netns exec "$E2E_NETNS" sysctl -qw net.ipv6.conf.all.disable_ipv6=1 net.ipv6.conf.default.disable_ipv6=1
}

# netns_identity HOSTNAME ADDRESS/PREFIX MAC NAMESERVER: gives the namespace
# an Ethernet-style interface with that address and MAC, and the program that
# host name, an /etc/hosts naming it with that address and an
# /etc/resolv.conf with that name server. The interface is an ifb: it sends
# nothing by itself and counts what is routed to it as received.
netns_identity() {
    local dev=e2e0
    ip -n "$E2E_NETNS" link add "$dev" address "$3" mtu 65535 type ifb || fail "could not add an ifb interface"
    ip -n "$E2E_NETNS" addr add "$2" dev "$dev"
    ip -n "$E2E_NETNS" link set "$dev" up
    mkdir -p "/etc/netns/$E2E_NETNS"
    printf '127.0.0.1\tlocalhost\n%s\t%s\n' "${2%/*}" "$1" >"/etc/netns/$E2E_NETNS/hosts"
    printf 'nameserver %s\n' "$4" >"/etc/netns/$E2E_NETNS/resolv.conf"
    E2E_HOSTNAME=$1
}

# datagrams COUNT ADDRESS [PAUSE]: COUNT UDP datagrams of 60,000 bytes to
# ADDRESS, PAUSE seconds apart (in E2E_NETNS when that is set). To an address
# of this machine they go to a socket bound for them, so that the kernel
# answers nothing.
datagrams() {
    if [ -n "$E2E_NETNS" ]; then
        ip netns exec "$E2E_NETNS" env LC_ALL=C perl "$E2E_LIB/datagrams.pl" "$@"
    else
        LC_ALL=C perl "$E2E_LIB/datagrams.pl" "$@"
    fi
}

# The program's visible windows other than the ones named (a popup menu, a
# tooltip): prints the first.
other_window() {
    local w skip
    for w in $(xdotool search --onlyvisible --classname '^corvane$' 2>/dev/null); do
        skip=0
        for known in "$@"; do [ "$w" = "$known" ] && skip=1; done
        [ $skip = 1 ] || { echo "$w"; return 0; }
    done
    return 1
}

window_gone() { ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }

# right_click_icon: opens the tray menu; sets MENU to its window.
right_click_icon() {
    local icon; icon=$(tray_icon) || fail "no tray icon to click"
    local g; g=($(geometry "$icon"))
    xdotool mousemove $((g[0] + g[2] / 2)) $((g[1] + g[3] / 2)) click 3
    wait_until 5 other_window "$(window_named Corvane)" "$icon" || fail "no menu after a right-click on the icon"
    MENU=$(other_window "$(window_named Corvane)" "$icon")
}

# choose_item N: the Nth item of the open menu, counted from the top.
choose_item() {
    local keys=() i
    for ((i = 0; i < $1; i++)); do keys+=(Down); done
    xdotool key "${keys[@]}" Return
    wait_until 5 window_gone "$MENU" || fail "the menu stayed open"
}

double_click_icon() {
    local g; g=($(geometry "$(tray_icon)"))
    xdotool mousemove $((g[0] + g[2] / 2)) $((g[1] + g[3] / 2)) click --repeat 2 --delay 80 1
}

# loopback_traffic SECONDS: keeps sending datagrams to 127.0.0.1, which the
# loopback interface counts as received and sent.
loopback_traffic() {
    datagrams $(($1 * 20)) 127.0.0.1 0.05
}

# descendants PID: every process below PID, deepest first.
descendants() {
    local child
    for child in $(pgrep -P "$1" 2>/dev/null); do
        descendants "$child"
        echo "$child"
    done
}

# start_accessibility_bus: a session bus and an accessibility bus of our own,
# where the program and a screen-reader client meet. Sets XDG_RUNTIME_DIR and
# DBUS_SESSION_BUS_ADDRESS; call after start_display, before the program.
E2E_BUS_PIDS=()
start_accessibility_bus() {
    [ -n "$E2E_WORK" ] || E2E_WORK=$(mktemp -d)
    export XDG_RUNTIME_DIR="$E2E_WORK/run"
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    local pid
    pid=$(dbus-daemon --session --address="unix:path=$XDG_RUNTIME_DIR/bus" --fork --print-pid) ||
        fail "the session bus did not start"
    E2E_BUS_PIDS+=($pid)
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/bus" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
    E2E_BUS_PIDS+=($!)
    wait_until 10 compgen -G "$XDG_RUNTIME_DIR/at-spi/bus*" || fail "the accessibility bus did not come up"
}

# stop_accessibility_bus: ends the buses and what they started, by PID.
stop_accessibility_bus() {
    local pid all=()
    for pid in "${E2E_BUS_PIDS[@]}"; do all+=($(descendants "$pid") "$pid"); done
    for pid in "${all[@]}"; do kill "$pid" 2>/dev/null || true; done
    return 0
}

# start_corvane_on_tmpfs BINARY SIZE [SETUP]: runs a stripped copy of the
# program from a tmpfs of SIZE of its own, mounted in a private mount namespace
# that goes away with the program. SETUP runs in that folder first. Sets
# CORVANE_PID, and CORVANE_DIR to the folder as seen from outside. Needs root.
start_corvane_on_tmpfs() {
    [ -n "$E2E_WORK" ] || E2E_WORK=$(mktemp -d)
    local dir="$E2E_WORK/tmpfs"
    mkdir -p "$dir"
    strip -o "$E2E_WORK/corvane-stripped" "$1"
    unshare --mount --propagation private sh -c \
        'mount -t tmpfs -o size="$2" e2e-tmpfs "$1" && cp "$3" "$1/corvane" && cd "$1" && eval "$4" && exec "$1/corvane"' \
        sh "$dir" "$2" "$E2E_WORK/corvane-stripped" "${3:-true}" >"$E2E_WORK/corvane.log" 2>&1 &
    CORVANE_PID=$!
    E2E_PIDS+=($CORVANE_PID)
    CORVANE_DIR="/proc/$CORVANE_PID/root$dir"
    wait_until 10 test -x "$CORVANE_DIR/corvane" || fail "the program did not start on its tmpfs: $(cat "$E2E_WORK/corvane.log")"
}

# start_session_bus: a D-Bus session bus of the test's own for everything
# started after it; sets DBUS_SESSION_BUS_ADDRESS and XDG_RUNTIME_DIR.
start_session_bus() {
    [ -n "$E2E_WORK" ] || E2E_WORK=$(mktemp -d)
    mkdir -p "$E2E_WORK/run"
    chmod 700 "$E2E_WORK/run"
    dbus-daemon --nofork --session --address="unix:path=$E2E_WORK/run/bus" >/dev/null 2>&1 &
    E2E_PIDS+=($!)
    wait_until 10 test -S "$E2E_WORK/run/bus" || fail "the session bus did not start"
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$E2E_WORK/run/bus" XDG_RUNTIME_DIR="$E2E_WORK/run"
}

# details_window: the details dialog, the program's visible "Corvane" window
# other than the main window $main.
details_window() {
    local w
    for w in $(xdotool search --onlyvisible --name '^Corvane$'); do
        [ "$w" != "$main" ] && { echo "$w"; return 0; }
    done
    return 1
}

# open_details X Y: the Support tab, then "Details...", of the main window at
# X,Y; waits for the dialog.
open_details() {
    click_at $(($1 + 59 + 22)) $(($2 + 8 + 9)) # the Support tab
    sleep 0.4
    click_at $(($1 + 64 + 36)) $(($2 + 144 + 12)) # Details...
    wait_until 5 details_window || fail "Details... opened no dialog"
}
