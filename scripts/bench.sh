#!/usr/bin/env bash
# Benchmark (not a test): under Wine, the wizard's start to its first page and its
# installation from "&Install" to the end (without the fixed 500 ms pause), each the median
# of RUNS runs (default 7), beside a bare program that makes the same spooler, file and
# registry calls with no window (the floor); and the size of the release program against its
# 400 KB target.
# Usage: scripts/bench.sh [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-7}
build_root=${BUILD_ROOT:-$root/build}
log=$(mktemp)
"$root/scripts/build.sh" x86_64 i686 >"$log" 2>&1 || { cat "$log"; rm -f "$log"; exit 1; }
rm -f "$log"
. "$root/scripts/wine-env.sh"

work=$(mktemp -d /tmp/wizard-bench-XXXXXX)
cleanup() { [ -z "${WINEPREFIX:-}" ] || "$WINESERVER" -k 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
new_wine_prefix "$work/prefix"
folder=$work/package
cp -r "$build_root/x86_64/package" "$folder"
cp "$build_root/x86_64/bench_floor.exe" "$build_root/x86_64/bench_driver.exe" "$folder/"

results=$(cd "$folder" && xvfb-run -a -s "-screen 0 1024x768x24" "${WINE[@]}" ./bench_driver.exe "$runs" | tr -d '\r')
release=$build_root/i686/PrinterSetup.exe

echo
echo "Wine $(/usr/lib/wine/wine64 --version), $(nproc) cores, median of $runs runs (min..max), ms"
awk -v runs="$runs" '
    { m[$1] = $2; lo[$1] = $3; hi[$1] = $4 }
    END {
        printf "%-34s %12s %12s\n", "", "wizard", "floor"
        printf "%-34s %6.0f (%3.0f..%3.0f) %6.0f (%3.0f..%3.0f)\n", "start to first page / to exit",
            m["wizard_start"], lo["wizard_start"], hi["wizard_start"], m["floor_start"], lo["floor_start"], hi["floor_start"]
        printf "%-34s %6.0f (%3.0f..%3.0f) %6.0f (%3.0f..%3.0f)\n", "installation, without the pause",
            m["wizard_install"], lo["wizard_install"], hi["wizard_install"], m["floor_install"], lo["floor_install"], hi["floor_install"]
        printf "(the pause taken off: Sleep(500) lasts %.1f ms here)\n", m["pause"]
    }' <<<"$results"
size=$(stat -c %s "$release")
target=$((400 * 1024))  # the release program's size target: 400 KB
printf '%-34s %d bytes (%d KiB), i686 MinSizeRel, stripped: %s the %d KiB target\n' "release PrinterSetup.exe" \
    "$size" "$((size / 1024))" "$([ "$size" -le "$target" ] && echo within || echo OVER)" "$((target / 1024))"
