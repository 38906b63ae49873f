#!/usr/bin/env bash
# Runs the wizard on the sample driver package: builds the x86_64 program, lays out the
# package in run/package, and starts the program there under 64-bit Wine in a throwaway
# prefix, in the zh_CN locale. On $DISPLAY when there is one; otherwise under Xvfb, where it
# saves a screenshot of the first page to run/screenshot.png and ends the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/ensure-deps.sh"
BUILD_ROOT=${BUILD_ROOT:-$root/build} "$root/scripts/build.sh" x86_64
build_root=${BUILD_ROOT:-$root/build}
. "$root/scripts/wine-env.sh"

work=$root/run
rm -rf "$work/package"
mkdir -p "$work"
cp -r "$build_root/x86_64/package" "$work/package"
prefix_dir=$(mktemp -d /tmp/wizard-run-XXXXXX)
cleanup() { [ -z "${WINEPREFIX:-}" ] || "$WINESERVER" -k 2>/dev/null || true; rm -rf "$prefix_dir"; }
trap cleanup EXIT
echo "== preparing a throwaway Wine prefix in $prefix_dir"
new_wine_prefix "$prefix_dir/prefix"

cd "$work/package"
if [ -n "${DISPLAY:-}" ]; then
    echo "== starting the wizard on $DISPLAY (package: $work/package)"
    "${WINE[@]}" PrinterSetup.exe
    echo "== the wizard has ended"
    exit 0
fi

echo "== no display: starting the wizard under Xvfb"
shot=$work/screenshot.png
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    shot=$1; shift
    "$@" PrinterSetup.exe & wizard=$!
    for i in $(seq 1 150); do
        grep -q "\"Select OS (x86/x64)\"" <<<"$(xwininfo -root -tree 2>/dev/null)" && break
        sleep 0.2
    done
    sleep 1
    import -window root "$shot"
    kill $wizard 2>/dev/null; true
' bash "$shot" "${WINE[@]}"
echo "== the first page is in the screenshot $shot"
