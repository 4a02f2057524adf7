#!/usr/bin/env bash
# Hand-run, not part of CI: what Corvane costs on a desktop, next to conky
# showing the same figures (totals and rates of the same interface) at the
# same pace. Both run at the same time on one virtual display, in a network
# namespace of the bench's own whose only traffic is the bench's, so the
# machine's other traffic cannot change what either has to draw.
#
# Usage: bench/desktop_cost.sh [-n RUNS] [-t SECONDS] [-r REGIMES] [-k] [PATH/TO/corvane]
#   -n RUNS     runs per regime (default 5)
#   -t SECONDS  measured time of each run (default 120)
#   -r REGIMES  comma-separated, of idle, trickle, heavy (default all three)
#                 idle     no traffic at all
#                 trickle  20,000 bytes every 100 ms
#                 heavy    a loopback TCP stream paced to 1 GB/s (or what the
#                          machine gives)
#   -k          keep the per-run figures file and print its path
# Needs root (network namespace). Per run and program: CPU time from
# /proc/PID/task/*/sched (every thread's run time, in ns) and from
# /proc/PID/stat (user + system clock ticks, threads that ended included);
# peak RSS (VmHWM); milliseconds from exec to the main window being mapped.
# Odd runs start Corvane first, even runs conky.
# Reported: median and spread (min..max) over the runs, per regime.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tests/e2e/lib.sh"

RUNS=5
SECONDS_PER_RUN=120
REGIMES=idle,trickle,heavy
KEEP=0
SETTLE=3
while getopts "n:t:r:kh" opt; do
    case $opt in
    n) RUNS=$OPTARG ;;
    t) SECONDS_PER_RUN=$OPTARG ;;
    r) REGIMES=$OPTARG ;;
    k) KEEP=1 ;;
    *) sed -n '2,22p' "$0" | sed 's/^# \{0,1\}//'; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
BIN=$(readlink -f "${1:-$root/build/corvane}")
[ -x "$BIN" ] || fail "no program at $BIN: build it first, or pass its path"
[ "$(id -u)" -eq 0 ] || fail "needs root for its network namespace"
for r in ${REGIMES//,/ }; do
    case $r in idle | trickle | heavy) ;; *) fail "unknown regime $r" ;; esac
done
command -v conky >/dev/null || fail "conky is not installed (Debian: conky-std)"
TICK=$(getconf CLK_TCK)

NS=cv12-$$
E2E_WORK=$(mktemp -d)
TRAFFIC_PID=""
cleanup() {
    e2e_cleanup
    ip netns del "$NS" 2>/dev/null || true
}
trap cleanup EXIT
trap 'echo "-- stopped by a signal" >&2; exit 130' INT TERM HUP

g++ -O2 -o "$E2E_WORK/map_time" "$root/bench/map_time.cpp" -lxcb || fail "could not build map_time"
ip netns add "$NS" || fail "could not make namespace $NS"
ip -n "$NS" link set lo up
# conky reads the named interface; Corvane sums every interface, and in this
# namespace there is only the loopback one.
IFACE=lo

# conky's own default look (Xft, DejaVu Sans Mono, double buffering) at
# Corvane's pace, with its font at the size its users most often keep.
cat >"$E2E_WORK/conky.conf" <<EOF
conky.config = {
    update_interval = 0.5,
    own_window = true,
    own_window_type = 'normal',
    own_window_title = 'conky-bench',
    use_xft = true,
    font = 'DejaVu Sans Mono:size=10',
    double_buffer = true,
    out_to_x = true,
    out_to_console = false,
    background = false,
    net_avg_samples = 1,
}
conky.text = [[
Total Bytes received: \${totaldown $IFACE}
Total Bytes sent: \${totalup $IFACE}
Incoming: \${downspeedf $IFACE} KiB/s
Outgoing: \${upspeedf $IFACE} KiB/s
]]
EOF

start_display
start_tray
note "$(conky -v 2>/dev/null | head -n1); namespace $NS; display $DISPLAY"

# Started in the namespace with `ip netns exec` itself, never through a shell
# function: `&` on a function forks a shell, and $! would be that shell's.
in_ns() { ip netns exec "$NS" "$@"; }

# cpu_ns PID: the run time of the process's live threads, in nanoseconds.
cpu_ns() {
    cat /proc/"$1"/task/*/sched 2>/dev/null |
        awk '/^se.sum_exec_runtime/ { t += $3 } END { printf "%.0f", t * 1e6 }'
}
# cpu_ticks PID: user plus system time, in clock ticks. The name in the stat
# line may hold spaces, so the fields count from its ')'.
cpu_ticks() {
    local s
    s=$(cat "/proc/$1/stat" 2>/dev/null) || fail "process $1 has ended"
    s=${s##*) }
    set -- $s # split on purpose: one field each
    [ "$1" != Z ] || fail "process has ended"
    echo $((${12} + ${13}))
}
peak_kib() { awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"; }

# Ends one process the bench started and forgets it, so that its number,
# once reused, is never signalled again.
stop_pid() {
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
    local kept=() p
    for p in "${E2E_PIDS[@]}"; do [ "$p" = "$1" ] || kept+=("$p"); done
    E2E_PIDS=("${kept[@]}")
}

start_traffic() {
    TRAFFIC_PID=""
    case $1 in
    idle) return 0 ;;
    trickle) ip netns exec "$NS" python3 "$root/bench/traffic.py" trickle >/dev/null 2>&1 & ;;
    heavy) ip netns exec "$NS" python3 "$root/bench/traffic.py" heavy 1000 >/dev/null 2>&1 & ;;
    esac
    TRAFFIC_PID=$!
    E2E_PIDS+=("$TRAFFIC_PID")
}

lo_bytes() { in_ns awk -v i="$IFACE:" '$1 == i { print $2 }' /proc/net/dev; }

# With -k the per-run figures are written where they stay, as each run ends,
# so that an interrupted bench still leaves the runs it finished.
RESULTS=$E2E_WORK/runs.txt
[ "$KEEP" = 1 ] && RESULTS=${TMPDIR:-/tmp}/desktop_cost.$$.txt
echo "regime run program cpu_ns ticks wall_ns peak_kib start_ms" >"$RESULTS"

one_run() {
    local regime=$1 run=$2 dir=$E2E_WORK/run-$regime-$2
    mkdir -p "$dir"
    cp "$BIN" "$dir/corvane"
    start_traffic "$regime"

    # One at a time, so that neither start-up competes with the other's, and
    # in turn first: whichever starts second was measured to cost a little
    # more, its pages and caches placed after the other's.
    local cpid kpid
    start_corvane_run() {
        ip netns exec "$NS" "$E2E_WORK/map_time" Corvane "$dir/corvane.ms" "$dir/corvane" >"$dir/corvane.log" 2>&1 &
        cpid=$!
        E2E_PIDS+=("$cpid")
        wait_until 15 test -s "$dir/corvane.ms" || fail "Corvane's main window was not mapped"
        wait_until 10 tray_icon || fail "Corvane's icon did not show in the tray"
    }
    start_conky_run() {
        ip netns exec "$NS" "$E2E_WORK/map_time" conky-bench "$dir/conky.ms" conky -c "$E2E_WORK/conky.conf" >"$dir/conky.log" 2>&1 &
        kpid=$!
        E2E_PIDS+=("$kpid")
        wait_until 15 test -s "$dir/conky.ms" || fail "conky's window was not mapped$(echo; cat "$dir/conky.log")"
    }
    if ((run % 2)); then
        start_corvane_run
        start_conky_run
    else
        start_conky_run
        start_corvane_run
    fi

    sleep "$SETTLE" # past start-up: only the steady state is measured
    local b0 t0 c0 ct0 k0 kt0 b1 t1 c1 ct1 k1 kt1
    b0=$(lo_bytes)
    t0=$(date +%s%N)
    c0=$(cpu_ns "$cpid"); ct0=$(cpu_ticks "$cpid")
    k0=$(cpu_ns "$kpid"); kt0=$(cpu_ticks "$kpid")
    sleep "$SECONDS_PER_RUN"
    c1=$(cpu_ns "$cpid"); ct1=$(cpu_ticks "$cpid")
    k1=$(cpu_ns "$kpid"); kt1=$(cpu_ticks "$kpid")
    t1=$(date +%s%N)
    b1=$(lo_bytes)
    echo "$regime $run corvane $((c1 - c0)) $((ct1 - ct0)) $((t1 - t0)) $(peak_kib "$cpid") $(cat "$dir/corvane.ms")" >>"$RESULTS"
    echo "$regime $run conky $((k1 - k0)) $((kt1 - kt0)) $((t1 - t0)) $(peak_kib "$kpid") $(cat "$dir/conky.ms")" >>"$RESULTS"
    awk -v r="$regime" -v n="$run" -v c=$((c1 - c0)) -v k=$((k1 - k0)) -v w=$((t1 - t0)) -v b=$((b1 - b0)) \
        'BEGIN { printf "-- %-7s run %d: corvane %.3f%%  conky %.3f%% of a core; lo %.1f MB/s\n",
                 r, n, 100 * c / w, 100 * k / w, b / (w / 1e9) / 1e6 }'

    stop_pid "$kpid"
    stop_pid "$cpid"
    [ -z "$TRAFFIC_PID" ] || stop_pid "$TRAFFIC_PID"
    rm -f "$dir/corvane"
}

note "$RUNS run(s) of $SECONDS_PER_RUN s per regime: ${REGIMES//,/ }"
for regime in ${REGIMES//,/ }; do
    for ((run = 1; run <= RUNS; run++)); do
        one_run "$regime" "$run"
    done
done

echo
echo "median [min..max] over $RUNS run(s) of $SECONDS_PER_RUN s; CPU in % of one core"
awk -v hz="$TICK" '
    NR == 1 { next }
    { key = $1 " " $3; n[key]++; i = n[key]
      cpu[key, i] = 100 * $4 / $6; tk[key, i] = 100 * ($5 / hz) / ($6 / 1e9)
      rss[key, i] = $7 / 1024; ms[key, i] = $8
      if (!(($1) in seen)) { seen[$1] = 1; order[++nr] = $1 } }
    function sortv(a, k, m,    i, j, t) { for (i = 1; i <= m; i++) v[i] = a[k, i]
      for (i = 2; i <= m; i++) { t = v[i]; for (j = i - 1; j > 0 && v[j] > t; j--) v[j + 1] = v[j]; v[j + 1] = t } }
    function med(m) { return m % 2 ? v[(m + 1) / 2] : (v[m / 2] + v[m / 2 + 1]) / 2 }
    function stat(a, k, f,    m) { m = n[k]; sortv(a, k, m)
      return sprintf(f " [" f ".." f "]", med(m), v[1], v[m]) }
    BEGIN { printf "%-8s %-8s %-26s %-26s %-22s %-22s\n", "regime", "program", "CPU (sched)", "CPU (ticks)", "peak RSS MiB", "start to map ms" }
    END {
      for (r = 1; r <= nr; r++) for (p = 1; p <= 2; p++) {
        prog = p == 1 ? "corvane" : "conky"; k = order[r] " " prog
        printf "%-8s %-8s %-26s %-26s %-22s %-22s\n", order[r], prog, stat(cpu, k, "%.3f"), stat(tk, k, "%.3f"),
               stat(rss, k, "%.1f"), stat(ms, k, "%.0f")
      }
      for (r = 1; r <= nr; r++) {
        kc = order[r] " corvane"; kk = order[r] " conky"; m = n[kc]
        for (i = 1; i <= m; i++) ratio[kc, i] = cpu[kk, i] > 0 ? cpu[kc, i] / cpu[kk, i] : 0
        printf "%-8s corvane/conky CPU per run: %s\n", order[r], stat(ratio, kc, "%.2f")
      }
    }' "$RESULTS"
[ "$KEEP" = 1 ] && echo "per-run figures: $RESULTS"
