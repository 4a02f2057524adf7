#!/usr/bin/env bash
# Hand-run, not part of CI: what Corvane costs on a desktop, next to conky
# showing the same figures at the same pace. Both run side by side on one
# virtual display for one minute, under the same trickle of loopback traffic,
# so that neither gets a quieter machine than the other.
# Usage: bench/desktop_cost.sh [PATH/TO/corvane]   (default: build/corvane)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tests/e2e/lib.sh"
trap e2e_cleanup EXIT

BIN=$(readlink -f "${1:-$root/build/corvane}")
[ -x "$BIN" ] || fail "no program at $BIN: build it first, or pass its path"
RUN=60
TICK=$(getconf CLK_TCK)

if ! command -v conky >/dev/null; then
    note "installing conky"
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq || fail "apt-get update failed"
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends conky-std >/dev/null ||
        fail "could not install conky-std"
fi
note "$(conky -v 2>/dev/null | head -n1)"

E2E_WORK=$(mktemp -d)

# conky cannot add figures up without Lua, which would cost more than the
# figures themselves; so it gets one line per interface, the nearest it comes
# to the machine-wide totals with its own variables.
ifaces=$(awk -F: 'NR > 2 { gsub(/ /, "", $1); print $1 }' /proc/net/dev)
[ -n "$ifaces" ] || fail "no interfaces in /proc/net/dev"
{
    cat <<'EOF'
conky.config = {
    update_interval = 0.5,
    own_window = true,
    own_window_type = 'normal',
    own_window_title = 'conky-bench',
    font = 'fixed',
    out_to_x = true,
    out_to_console = false,
    double_buffer = true,
    background = false,
}
conky.text = [[
EOF
    for i in $ifaces; do
        echo "$i  in \${totaldown $i}  out \${totalup $i}  \${downspeedf $i} / \${upspeedf $i} KiB/s"
    done
    echo ']]'
} >"$E2E_WORK/conky.conf"

start_display
start_tray

start_corvane "$BIN"
wait_until 15 window_named Corvane || fail "Corvane's main window was not mapped"
wait_until 10 tray_icon || fail "Corvane's icon did not show in the tray"

conky -c "$E2E_WORK/conky.conf" >"$E2E_WORK/conky.log" 2>&1 &
CONKY_PID=$!
E2E_PIDS+=("$CONKY_PID")
wait_until 15 window_named conky-bench || fail "conky's window was not mapped (see below)$(echo; cat "$E2E_WORK/conky.log")"

# A few KB every 100 ms: enough for both to redraw their figures each tick,
# little enough not to load the machine that is measuring them.
(
    payload=$(head -c 4000 /dev/zero | tr '\0' x)
    while :; do
        printf '%s' "$payload" >/dev/udp/127.0.0.1/9 2>/dev/null || true
        sleep 0.1
    done
) &
E2E_PIDS+=($!)

sleep 3 # past start-up, so the minute sees only the steady state

# cpu_ticks PID NAME: user plus system time so far, in clock ticks. The name
# in the stat line may hold spaces, so the fields count from its ')'.
cpu_ticks() {
    local s
    s=$(cat "/proc/$1/stat" 2>/dev/null) || fail "$2 has ended"
    s=${s##*) }
    set -- $s # split on purpose: one field each
    [ "$1" != Z ] || fail "$2 has ended"
    echo $(( ${12} + ${13} ))
}
peak_mib() { awk '/^VmHWM:/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }

note "measuring for $RUN s"
t0=$(date +%s%N)
c0=$(cpu_ticks "$CORVANE_PID" Corvane)
k0=$(cpu_ticks "$CONKY_PID" conky)
sleep "$RUN"
c1=$(cpu_ticks "$CORVANE_PID" Corvane)
k1=$(cpu_ticks "$CONKY_PID" conky)
t1=$(date +%s%N)
cpeak=$(peak_mib "$CORVANE_PID")
kpeak=$(peak_mib "$CONKY_PID")

row() {
    awk -v n="$1" -v t="$2" -v hz="$TICK" -v ns="$3" -v m="$4" \
        'BEGIN { s = t / hz; printf "%-10s %10.2f %8.2f %10s\n", n, s, 100 * s / (ns / 1e9), m }'
}
printf '%-10s %10s %8s %10s\n' program "CPU s" "% core" "peak MiB"
row corvane $((c1 - c0)) $((t1 - t0)) "$cpeak"
row conky $((k1 - k0)) $((t1 - t0)) "$kpeak"
awk -v ns=$((t1 - t0)) 'BEGIN { printf "(over %.1f s of wall time)\n", ns / 1e9 }'
if [ -s "$E2E_WORK/conky.log" ]; then
    echo "conky said:"
    sort -u "$E2E_WORK/conky.log" | head -n 20
fi
