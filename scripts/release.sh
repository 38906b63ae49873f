#!/usr/bin/env bash
# Builds the release program (i686 PrinterSetup.exe), checks it, and packs it in the folder
# layout of a driver package into dist/PrinterSetup-<version>.zip, with dist/...zip.sha256,
# and the same layout into the Windows Installer package dist/PrinterSetup-<version>.msi
# (scripts/make-msi.sh), with dist/...msi.sha256.
# The version is the program's own (its VERSIONINFO). The driver files and the three USB
# installers in the zip are PLACEHOLDERS (the sample package and tools/dpinst-standin.c):
# the real driver package replaces them; PLACEHOLDERS.txt in the zip names each one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$root/build}
dist=${DIST_DIR:-$root/dist}
"$root/scripts/build.sh" i686
package=$build_root/i686/package
exe=$package/PrinterSetup.exe

echo "== checking the release program"
bash "$root/tests/release/check-release.sh" "$exe" || { echo "release program failed its checks: not packed" >&2; exit 1; }
version=$(python3 "$root/tests/release/peinfo.py" file-version "$exe")
name=PrinterSetup-$version

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
top=$stage/$name
mkdir -p "$top"
cp -r "$package/." "$top/"
# Only what a user gets: the program, the driver folders, the USB installers, the read-me.
find "$top" -name '*.started' -delete
placeholders=$(cd "$top" && find "Printer Driver" "USB Driver" USBdriver -type f | LC_ALL=C sort)
{
    echo "PLACEHOLDERS - not for distribution to users"
    echo
    echo "This archive is built from the wizard's sample driver package. The files below are"
    echo "stand-ins, not working drivers or installers: the printer-driver files are small text"
    echo "placeholders, and the USB installers only leave a \"<name>.started\" marker beside"
    echo "themselves. Replace each with the real file of the same name before release."
    echo
    printf '%s\n' "$placeholders" | sed 's|/|\\|g; s|^|  |'
} | sed 's/$/\r/' > "$top/PLACEHOLDERS.txt"

# Same inputs, same zip: fixed times, sorted entries, no extra attributes.
find "$top" -exec touch -h -d "@${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)}" {} +
mkdir -p "$dist"
zip_path=$dist/$name.zip
rm -f "$zip_path" "$zip_path.sha256"
(cd "$stage" && find "$name" -print | LC_ALL=C sort | zip -q -X -D "$zip_path" -@)
(cd "$dist" && sha256sum "$name.zip" > "$name.zip.sha256")

# The archive as a user unpacks it.
listing=$(python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$zip_path")
for entry in "$name/PrinterSetup.exe" "$name/PLACEHOLDERS.txt" "$name/README.txt" \
             "$name/USB Driver/x86/dpinstx86.exe" "$name/USB Driver/x64/dpinstx64.exe" "$name/USBdriver/x86/dpinst.exe" \
             "$name/Printer Driver/x86/VELM58KD.GPD" "$name/Printer Driver/x64/VELM58KD.GPD"; do
    grep -qxF "$entry" <<<"$listing" || { echo "missing from the zip: $entry" >&2; exit 1; }
done
(cd "$dist" && sha256sum --quiet -c "$name.zip.sha256")
echo "== $zip_path ($(stat -c %s "$zip_path") bytes), program $(stat -c %s "$exe") bytes"
cat "$zip_path.sha256"

# The same folder as a Windows Installer package, for Group Policy, Intune and Configuration Manager.
msi_path=$dist/$name.msi
rm -f "$msi_path" "$msi_path.sha256"
bash "$root/scripts/make-msi.sh" "$top" "$msi_path"
# >>> Signing the MSI: when a signing key is given, sign "$msi_path" here (osslsigncode signs
# >>> MSI files as well as programs), before its checks and its checksum.
bash "$root/tests/release/check-msi.sh" "$msi_path" >/dev/null ||
    { bash "$root/tests/release/check-msi.sh" "$msi_path" | grep FAIL >&2; echo "the MSI failed its checks" >&2; exit 1; }
(cd "$dist" && sha256sum "$name.msi" > "$name.msi.sha256")
echo "== $msi_path ($(stat -c %s "$msi_path") bytes)"
cat "$msi_path.sha256"
