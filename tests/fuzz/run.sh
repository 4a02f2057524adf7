#!/usr/bin/env bash
# Builds the parsers' fuzz targets with clang in a build directory of their
# own and runs each for a while.
#
#   tests/fuzz/run.sh BUILD_DIR SECONDS_PER_TARGET
#
# Prints each target's executions and whether it found anything; exits
# non-zero when any target did (crash, hang or sanitizer report). Inputs that
# failed are kept under BUILD_DIR/fuzz-artifacts/<target>/.
set -u

if [ $# -lt 1 ]; then
  echo "usage: $0 BUILD_DIR [SECONDS_PER_TARGET]" >&2
  exit 2
fi
build=$1
seconds=${2:-60}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
targets="FuzzDhclientLease FuzzNetworkdLease FuzzDhcpcdLease FuzzResolvConf FuzzSettingsFile"

CC=clang-14 CXX=clang++-14 cmake -S "$source_dir" -B "$build" \
  -DCMAKE_CXX_COMPILER=clang++-14 -DCORVANE_FUZZ=ON -DBUILD_TESTING=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$build.configure.log" 2>&1 || {
  cat "$build.configure.log" >&2
  exit 2
}
cmake --build "$build" --target corvane_fuzz -j "$(nproc)" >"$build.build.log" 2>&1 || {
  tail -50 "$build.build.log" >&2
  exit 2
}

status=0
for target in $targets; do
  corpus="$build/fuzz-corpus/$target"
  artifacts="$build/fuzz-artifacts/$target"
  mkdir -p "$corpus" "$artifacts"
  # The seeds are copied, so that what the fuzzer adds stays in the build.
  if [ -d "$source_dir/tests/fuzz/corpus/$target" ]; then
    cp -n "$source_dir/tests/fuzz/corpus/$target"/* "$corpus"/ 2>/dev/null || true
  fi
  log="$build/fuzz-$target.log"
  "$build/tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" >"$log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  found=$(find "$artifacts" -type f | wc -l)
  if [ $rc -ne 0 ] || [ "$found" -ne 0 ]; then
    echo "$target: ${runs:-?} executions, FOUND $found failing input(s) (exit $rc), see $log"
    status=1
  else
    echo "$target: ${runs:-?} executions, nothing found"
  fi
done
exit $status
