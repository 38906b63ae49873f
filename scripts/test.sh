#!/usr/bin/env bash
# Runs every test: the native unit tests, then the Windows tests under 64-bit Wine and Xvfb,
# and the checks of the release program. Exits non-zero when any fails.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/ensure-deps.sh" || exit 1
"$root/scripts/build.sh" native x86_64 i686 || exit 1
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
bash "$root/tests/release/check-release.sh" "$build_root/i686/PrinterSetup.exe" > "$results/release.txt" || failed=1
python3 "$root/tests/release/check-layout.py" "$root" >> "$results/release.txt" || failed=1
BUILD_ROOT="$build_root" bash "$root/tests/release/check-release-script.sh" >> "$results/release.txt" || failed=1
cat "$results/release.txt"

python3 - "$results" <<'PY'
import sys, glob, re, xml.etree.ElementTree as ET
passed = failed = skipped = 0
for path in glob.glob(sys.argv[1] + '/*.xml'):
    for case in ET.parse(path).getroot().iter('testcase'):
        if case.find('failure') is not None: failed += 1
        elif case.get('result') == 'skipped' or case.find('skipped') is not None: skipped += 1
        else: passed += 1
for line in open(sys.argv[1] + '/release.txt', encoding='utf-8', errors='replace'):
    if line.startswith('ok '): passed += 1
    elif line.startswith('FAIL '): failed += 1
print(f"{passed} passed, {failed} failed" + (f", {skipped} skipped" if skipped else ""))
PY
exit $failed
