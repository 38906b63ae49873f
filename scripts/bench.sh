#!/usr/bin/env bash
# Benchmark (not a test): under Wine, the wizard's start to its first page and its
# installation from "&Install" to the end (without the fixed 500 ms pause), each the median
# of RUNS runs (default 7), beside a bare program that makes the same spooler, file and
# registry calls with no window (the floor), and the installation by the sealed program; each
# check of the installation on its own (read-back sealed and unsealed, version reads, desktop
# user, settings broadcast, seal) and the SHA-256 throughput; and the size of the release program against its
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
# The same package with the program sealed against it, as a release is.
cp -r "$build_root/x86_64/package" "$work/sealed"
cp "$build_root/x86_64/PrinterSetup-sealed.exe" "$work/sealed/PrinterSetup.exe"

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
        printf "%-34s %6.0f (%3.0f..%3.0f)\n", "installation by the sealed program",
            m["sealed_install"], lo["sealed_install"], hi["sealed_install"]
        printf "(the pause taken off: Sleep(500) lasts %.1f ms here)\n", m["pause"]
        printf "each check of the installation on its own:\n"
        printf "  %-32s %6.2f (%.2f..%.2f)\n", "read-back, unsealed (2 x 8 files)", m["check_readback_unsealed"], lo["check_readback_unsealed"], hi["check_readback_unsealed"]
        printf "  %-32s %6.2f (%.2f..%.2f)\n", "read-back, sealed (8 files)", m["check_readback_sealed"], lo["check_readback_sealed"], hi["check_readback_sealed"]
        printf "  %-32s %6.2f (%.2f..%.2f)\n", "versions, dates (3 x 8 files)", m["check_versions"], lo["check_versions"], hi["check_versions"]
        printf "  %-32s %6.2f (%.2f..%.2f)\n", "desktop user", m["check_desktop_user"], lo["check_desktop_user"], hi["check_desktop_user"]
        printf "  %-32s %6.2f (%.2f..%.2f)\n", "settings broadcast", m["check_broadcast"], lo["check_broadcast"], hi["check_broadcast"]
        printf "  %-32s %6.2f (%.2f..%.2f)\n", "seal (hold and hash 8 files)", m["check_seal"], lo["check_seal"], hi["check_seal"]
        total_unsealed = m["check_readback_unsealed"] + m["check_versions"] + m["check_desktop_user"] + m["check_broadcast"]
        total_sealed = m["check_readback_sealed"] + m["check_versions"] + m["check_desktop_user"] + m["check_broadcast"] + m["check_seal"]
        printf "  %-32s %6.2f unsealed, %.2f sealed (target: under 10)\n", "together", total_unsealed, total_sealed
        printf "SHA-256 throughput: %.0f MB/s (64 MB in memory, 64 KB pieces)\n", m["sha256_mb_per_s"]
    }' <<<"$results"
size=$(stat -c %s "$release")
target=$((400 * 1024))  # the release program's size target: 400 KB
printf '%-34s %d bytes (%d KiB), i686 MinSizeRel, stripped: %s the %d KiB target\n' "release PrinterSetup.exe" \
    "$size" "$((size / 1024))" "$([ "$size" -le "$target" ] && echo within || echo OVER)" "$((target / 1024))"
