#!/usr/bin/env bash
# Runs every test: the native unit tests, then the Windows tests under 64-bit Wine and Xvfb,
# the checks of the release program, and the 32-bit lane: the release program itself under
# 32-bit Wine (qemu-i386), with the Wine tests built for 32-bit Windows driving it, in a 32-bit
# prefix and in a WOW64 one. Exits non-zero when any fails.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/ensure-deps.sh" || exit 1
"$root/scripts/build.sh" native x86_64 i686 i686-tests || exit 1
build_root=${BUILD_ROOT:-$root/build}
. "$root/scripts/wine-env.sh"

failed=0
results=$(mktemp -d)
cleanup() {
    [ -z "${WINEPREFIX:-}" ] || "$WINESERVER" -k 2>/dev/null || true
    rm -rf "$results" "${prefix_dir:-}"
}
trap cleanup EXIT

echo "== native tests"
"$build_root/native/native_tests" --gtest_brief=1 --gtest_output=xml:"$results/native.xml" || failed=1

echo "== Windows tests under Wine"
prefix_dir=$(mktemp -d /tmp/wizard-wine-XXXXXX)
new_wine_prefix "$prefix_dir/prefix"
(cd "$build_root/x86_64" && xvfb-run -a -s "-screen 0 1024x768x24" \
    "${WINE[@]}" ./wine_tests.exe --gtest_brief=1 --gtest_output="xml:Z:$results/wine.xml") || failed=1
[ -f "$results/wine.xml" ] || { echo "the Windows tests wrote no results"; failed=1; }

echo "== release program checks"
bash "$root/tests/release/check-release.sh" "$build_root/i686/PrinterSetup.exe" "$build_root/x86_64/PrinterSetup.exe" \
    > "$results/release.txt" || failed=1
python3 "$root/tests/release/check-layout.py" "$root" >> "$results/release.txt" || failed=1
BUILD_ROOT="$build_root" bash "$root/tests/release/check-release-script.sh" >> "$results/release.txt" || failed=1
bash "$root/tests/release/check-msi.sh" "$build_root/x86_64/PrinterSetup.msi" >> "$results/release.txt" || failed=1
cat "$results/release.txt"

echo "== the 32-bit lane: the release program under 32-bit Wine"
# Its packages come from the i386 half of Debian's archive. Where this machine's apt sources
# cannot give them (a mirror out of step with its own index), the lane is reported as not run,
# never as passed, and the rest of the results stand.
: > "$results/lane.txt"
if ! bash "$root/scripts/ensure-wine32.sh"; then
    echo "SKIP 32-bit lane: its 32-bit Wine could not be installed from this machine's apt sources (above)" \
        >> "$results/lane.txt"
else
    # The package the release zips, with its PrinterSetup.exe; the Wine tests of the i686-tests
    # build run it (WIZARD_PACKAGE_DIR) instead of their own build's. A hung Wine program cannot
    # hold the lane past its time.
    lane_start=$(date +%s)
    lane_package=$build_root/i686/package
    lane_sealed=$prefix_dir/PrinterSetup-sealed.exe
    lane_tests() {  # lane_tests RESULTS.xml [GTEST ARGUMENTS...]: the 32-bit Wine tests in this prefix
        local xml=$1; shift
        "$WINESERVER" -p  # one server for the whole run: every Wine start then takes a fraction of a second
        (cd "$build_root/i686-tests" && WIZARD_PACKAGE_DIR=$lane_package WIZARD_SEALED_PROGRAM=$lane_sealed timeout 900 \
            xvfb-run -a -s "-screen 0 1024x768x24" "${WINE32[@]}" ./wine_tests.exe --gtest_brief=1 \
            --gtest_output="xml:Z:$xml" "$@")
        local status=$?
        "$WINESERVER" -k 2>/dev/null
        [ -f "$xml" ] || { echo "FAIL the 32-bit lane's Wine tests wrote no results ($xml)" >> "$results/lane.txt"; return 1; }
        return $status
    }
    lane_check() {  # lane_check NAME COMMAND...
        if "${@:2}"; then echo "ok 32-bit lane: $1"; else echo "FAIL 32-bit lane: $1"; failed=1; fi >> "$results/lane.txt"
    }
    lane_check "the package it runs holds the release file build/i686/PrinterSetup.exe" \
        cmp -s "$build_root/i686/PrinterSetup.exe" "$lane_package/PrinterSetup.exe"
    # A seal names its package's files, built ones (the USB installer stand-ins) among them: the
    # seal tests take the release program sealed against the package they run, not the
    # i686-tests build's copy, whose seal names that build's stand-ins.
    cp "$build_root/i686/PrinterSetup.exe" "$lane_sealed"
    lane_check "the release program seals against the package it runs (WIZARD_SEALED_PROGRAM)" \
        bash "$root/scripts/seal.sh" "$lane_sealed" "$lane_package" >/dev/null
    # 32-bit Windows: the whole suite, the wizard, /quiet, the repair run, /uninstall and /? among it.
    new_wine_prefix "$prefix_dir/prefix32" win32
    lane_tests "$results/wine32.xml" || failed=1
    # 64-bit Windows with the 32-bit program (WOW64): the runs of the release program.
    new_wine_prefix "$prefix_dir/prefix-wow64"
    lane_tests "$results/wow64.xml" --gtest_filter='QuietMode.*' || failed=1
    echo "32-bit lane: $(( $(date +%s) - lane_start )) s" >> "$results/lane.txt"
fi
cat "$results/lane.txt"

python3 - "$results" <<'PY'
import sys, glob, re, xml.etree.ElementTree as ET
passed = failed = skipped = 0
for path in glob.glob(sys.argv[1] + '/*.xml'):
    for case in ET.parse(path).getroot().iter('testcase'):
        if case.find('failure') is not None: failed += 1
        elif case.get('result') == 'skipped' or case.find('skipped') is not None: skipped += 1
        else: passed += 1
for name in ('release.txt', 'lane.txt'):
    for line in open(sys.argv[1] + '/' + name, encoding='utf-8', errors='replace'):
        if line.startswith('ok '): passed += 1
        elif line.startswith('FAIL '): failed += 1
        elif line.startswith('SKIP '): skipped += 1
print(f"{passed} passed, {failed} failed" + (f", {skipped} skipped" if skipped else ""))
PY
exit $failed
