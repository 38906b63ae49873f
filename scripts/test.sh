#!/usr/bin/env bash
# Runs every test: the native unit tests, then the Windows tests under 64-bit Wine and Xvfb,
# the checks of the release program, and the 32-bit lane: the release program itself under
# 32-bit Wine (qemu-i386), with the Wine tests built for 32-bit Windows driving it, in a 32-bit
# prefix and in a WOW64 one. Exits non-zero when any fails. Prints the time of each stage.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$root/build}
results=$(mktemp -d)
lane_setup_pid=
cleanup() {
    [ -z "$lane_setup_pid" ] || kill "$lane_setup_pid" 2>/dev/null
    [ -z "${WINEPREFIX:-}" ] || "$WINESERVER" -k 2>/dev/null || true
    rm -rf "$results" "${prefix_dir:-}"
}
trap cleanup EXIT

# stage NAME: the next stage begins; the time each took is reported at the end.
stage_times=()
stage_name=
stage_start=$(date +%s)
test_start=$stage_start
stage() {
    local now; now=$(date +%s)
    [ -z "$stage_name" ] || stage_times+=("$(printf '%5d s  %s' $((now - stage_start)) "$stage_name")")
    stage_name=$1
    stage_start=$now
    [ -z "$1" ] || echo "== $1"
}

stage "packages"
"$root/scripts/ensure-deps.sh" || exit 1
# The 32-bit lane's packages are fetched (network) while the builds compile (processor); the
# lane waits for them.
bash "$root/scripts/ensure-wine32.sh" > "$results/lane-setup.txt" 2>&1 &
lane_setup_pid=$!
stage "builds of the native and 64-bit tests"
"$root/scripts/build.sh" native x86_64 || exit 1
. "$root/scripts/wine-env.sh"

failed=0
stage "native and 64-bit Wine tests, beside the release builds and their checks"
# The release side (the release program and the 32-bit lane's tests built, then the release
# program checked) compiles while the tests mostly wait on Wine's dialogs; they share no files.
(
    side_start=$(date +%s)
    trap 'echo "$(( $(date +%s) - side_start ))" > "$results/release-seconds"' EXIT
    "$root/scripts/build.sh" i686 i686-tests > "$results/release-builds.txt" 2>&1 ||
        { echo "FAIL the release builds (i686, i686-tests): their output is above"; exit 1; }
    touch "$results/release-built"
    status=0
    bash "$root/tests/release/check-release.sh" "$build_root/i686/PrinterSetup.exe" "$build_root/x86_64/PrinterSetup.exe" || status=1
    python3 "$root/tests/release/check-layout.py" "$root" || status=1
    BUILD_ROOT="$build_root" bash "$root/tests/release/check-release-script.sh" || status=1
    bash "$root/tests/release/check-msi.sh" "$build_root/x86_64/PrinterSetup.msi" || status=1
    exit $status
) > "$results/release.txt" 2>&1 &
release_pid=$!
"$build_root/native/native_tests" --gtest_brief=1 --gtest_output=xml:"$results/native.xml" || failed=1
prefix_dir=$(mktemp -d /tmp/wizard-wine-XXXXXX)
new_wine_prefix "$prefix_dir/prefix"
(cd "$build_root/x86_64" && xvfb-run -a -n 110 -s "-screen 0 1024x768x24" \
    "${WINE[@]}" ./wine_tests.exe --gtest_brief=1 --gtest_output="xml:Z:$results/wine.xml") || failed=1
[ -f "$results/wine.xml" ] || { echo "the Windows tests wrote no results"; failed=1; }
wait "$release_pid" || failed=1
echo "== release builds"
cat "$results/release-builds.txt"
echo "== release program checks"
cat "$results/release.txt"

stage "the 32-bit lane: the release program under 32-bit Wine"
# Its packages come from the i386 half of Debian's archive, fetched while the builds ran. Where
# this machine's apt sources cannot give them (a mirror out of step with its own index), the
# lane is reported as not run, never as passed, and the rest of the results stand.
: > "$results/lane.txt"
wait "$lane_setup_pid"
lane_setup_status=$?
lane_setup_pid=
cat "$results/lane-setup.txt"
if [ ! -f "$results/release-built" ]; then
    echo "FAIL 32-bit lane: not run, the release builds failed" >> "$results/lane.txt"
elif [ "$lane_setup_status" -ne 0 ]; then
    echo "SKIP 32-bit lane: its 32-bit Wine could not be installed from this machine's apt sources (above)" \
        >> "$results/lane.txt"
else
    # The package the release zips, with its PrinterSetup.exe; the Wine tests of the i686-tests
    # build run it (WIZARD_PACKAGE_DIR) instead of their own build's. A hung Wine program cannot
    # hold the lane past its time.
    lane_package=$build_root/i686/package
    lane_sealed=$prefix_dir/PrinterSetup-sealed.exe
    # lane_tests PREFIX KIND DISPLAY RESULTS.xml [GTEST ARGUMENTS...]: the 32-bit Wine tests in a
    # new prefix of KIND (win32, or win64 for WOW64), on an X display from DISPLAY up. Each
    # prefix has its own wineserver, so that the two run side by side.
    lane_tests() {
        local prefix=$1 kind=$2 display=$3 xml=$4; shift 4
        new_wine_prefix "$prefix" "$kind"
        "$WINESERVER" -p  # one server for the whole run: every Wine start then takes a fraction of a second
        (cd "$build_root/i686-tests" && WIZARD_PACKAGE_DIR=$lane_package WIZARD_SEALED_PROGRAM=$lane_sealed timeout 900 \
            xvfb-run -a -n "$display" -s "-screen 0 1024x768x24" "${WINE32[@]}" ./wine_tests.exe --gtest_brief=1 \
            --gtest_output="xml:Z:$xml" "$@")
        local status=$?
        "$WINESERVER" -k 2>/dev/null
        [ -f "$xml" ] || { echo "FAIL the 32-bit lane's Wine tests wrote no results ($xml)"; return 1; }
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
    # 64-bit Windows with the 32-bit program (WOW64): the runs of the release program; beside it,
    # 32-bit Windows: the whole suite, the wizard, /quiet, the repair run, /uninstall and /? among it.
    ( lane_tests "$prefix_dir/prefix-wow64" win64 130 "$results/wow64.xml" --gtest_filter='QuietMode.*' ) \
        > "$results/wow64.log" 2>&1 &
    wow64_pid=$!
    lane_tests "$prefix_dir/prefix32" win32 120 "$results/wine32.xml" > "$results/wine32.log" 2>&1 || failed=1
    wait "$wow64_pid" || failed=1
    echo "-- 32-bit Windows"; cat "$results/wine32.log"
    echo "-- 64-bit Windows (WOW64)"; cat "$results/wow64.log"
    grep -h '^FAIL ' "$results/wine32.log" "$results/wow64.log" >> "$results/lane.txt"
fi
cat "$results/lane.txt"
stage ""
echo "Time of each stage:"
printf '%s\n' "${stage_times[@]}"
printf '       (of which the release builds and checks, beside the tests: %s s)\n' "$(cat "$results/release-seconds" 2>/dev/null)"
printf '%5d s  in all\n' $(( $(date +%s) - test_start ))

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
