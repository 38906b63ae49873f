#!/usr/bin/env bash
# Builds the Windows Installer package from a driver-package folder (PrinterSetup.exe at its
# top, the folders beside it as in the release zip), with msi/PrinterSetup.wxs and Debian's wixl.
# Usage: scripts/make-msi.sh PACKAGE_DIR OUTPUT.msi [VERSION | +1]
# Product name, manufacturer and version come from the program's version resource (VERSION
# overrides the version, +1 adds one to its fourth field: the tests build a later release to
# upgrade to); the ProductCode is a
# name-based UUID of the version, so the same version always has the same one. Same inputs,
# same file: the clock wixl and msibuild stamp into the package is frozen at SOURCE_DATE_EPOCH
# (default: the last commit's time, as for the zip) and the package code derives from the inputs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
package=${1:?usage: make-msi.sh PACKAGE_DIR OUTPUT.msi}
output=${2:?usage: make-msi.sh PACKAGE_DIR OUTPUT.msi}
package=$(cd "$package" && pwd)
exe=$package/PrinterSetup.exe
wxs=$root/msi/PrinterSetup.wxs
command -v wixl >/dev/null && command -v msibuild >/dev/null && command -v faketime >/dev/null ||
    { echo "make-msi.sh needs wixl, msibuild and faketime (scripts/ensure-deps.sh installs them)" >&2; exit 1; }
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)}
at_epoch() { TZ=UTC faketime -f "$(date -u -d "@$epoch" '+%Y-%m-%d %H:%M:%S')" "$@"; }

peinfo() { python3 "$root/tests/release/peinfo.py" "$@"; }
version=$(peinfo file-version "$exe")
case ${3:-} in
    '') ;;
    +1) version=${version%.*}.$(( ${version##*.} + 1 )) ;;
    *) version=$3 ;;
esac
[[ $version =~ ^[0-9]{1,3}\.[0-9]{1,3}\.[0-9]{1,5}(\.[0-9]{1,5})?$ ]] ||
    { echo "\"$version\" is not a Windows Installer version (major.minor.build)" >&2; exit 1; }
strings=$(peinfo version "$exe")
product_name=$(sed -n 's/^ProductName=//p' <<<"$strings")
manufacturer=$(sed -n 's/^CompanyName=//p' <<<"$strings")
[ -n "$version" ] && [ -n "$product_name" ] && [ -n "$manufacturer" ] ||
    { echo "$exe: no version, ProductName or CompanyName in its version resource" >&2; exit 1; }
# They go into SQL strings and a folder name below.
for text in "$product_name" "$manufacturer"; do
    ! grep -q "['\\/:*?\"<>|]" <<<"$text" || { echo "$exe: \"$text\" cannot name a folder" >&2; exit 1; }
done
upgrade_code=$(sed -n 's/^<?define UpgradeCode = "\([0-9A-Fa-f-]*\)"?>$/\1/p' "$wxs")
product_code=$(python3 -c 'import sys, uuid; print(str(uuid.uuid5(uuid.UUID(sys.argv[1]), "ProductCode " + sys.argv[2])).upper())' \
    "$upgrade_code" "$version")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# wixl finds sources relative to its current folder only: the package and the icon are there.
ln -s "$package" "$work/package"
cp "$root/res/PrinterSetup.ico" "$work/"
python3 "$root/msi/package-files.py" "$upgrade_code" "$package" package/ > "$work/PackageFiles.wxs"
mkdir -p "$(dirname "$output")"
output=$(cd "$(dirname "$output")" && pwd)/$(basename "$output")
rm -f "$output"
# wixl reports what it ignores or cannot do on stderr and may still succeed: any such report
# is a fault in the source.
(cd "$work" && at_epoch wixl -a x86 -o "$output" \
    -D AsciiName=PrinterSetup -D Manufacturer=Manufacturer -D Version="$version" \
    -D ProductCode="$product_code" \
    "$wxs" "$work/PackageFiles.wxs") 2> "$work/wixl.txt" || { cat "$work/wixl.txt" >&2; exit 1; }
if grep -E 'WARNING|CRITICAL|ERROR' "$work/wixl.txt" >&2; then
    exit 1
fi

# What wixl 0.101 cannot express, set in the built database:
# - The product's name and maker in the package's code page (936, Simplified Chinese), which
#   must be declared before any text outside ASCII is written.
# - The custom action types. 34: run an exe from a directory (Source INSTALLDIR), which
#   becomes its working folder; +0x400 deferred (in the script); +0x100 with it: rollback;
#   +0x800 not impersonated (SYSTEM); +0x40 its exit code is ignored. 51: set a property.
# - The public properties an elevated or managed installation may take from the command line.
# - Earlier versions up to this one's own included: Windows Installer compares three fields, so
#   a release that differs only in the fourth (4.0.0.1) still replaces the one before it.
# - RemoveExistingProducts between InstallValidate and InstallInitialize: the older version is
#   removed whole before this one installs, outside its transaction.
# - install.log, the program's own log in INSTALLDIR, goes with the uninstallation.
secure=$(msiinfo export "$output" Property | sed -n 's/^SecureCustomProperties\t//p')
printf '\r\n\r\n936\t_ForceCodepage\r\n' > "$work/_ForceCodepage.idt"
at_epoch msibuild "$output" -i "$work/_ForceCodepage.idt"
at_epoch msibuild "$output" \
    -q "UPDATE Property SET Value = '$product_name' WHERE Property = 'ProductName'" \
    -q "UPDATE Property SET Value = '$manufacturer' WHERE Property = 'Manufacturer'" \
    -q "UPDATE Directory SET DefaultDir = '$product_name' WHERE Directory = 'INSTALLDIR'" \
    -q "UPDATE CustomAction SET Type = 51 WHERE Source = 'PrinterSetupArguments' OR Action = 'SetInstallLocation'" \
    -q "UPDATE CustomAction SET Type = 3106 WHERE Action = 'InstallPrinter'" \
    -q "UPDATE CustomAction SET Type = 3426 WHERE Action = 'RollbackPrinter'" \
    -q "UPDATE CustomAction SET Type = 3106 WHERE Action = 'UninstallPrinter'" \
    -q "UPDATE Property SET Value = 'PORT;TCP;SETDEFAULT;PRINTERPRESENT;$secure' WHERE Property = 'SecureCustomProperties'" \
    -q "UPDATE InstallExecuteSequence SET Sequence = 1450 WHERE Action = 'RemoveExistingProducts'" \
    -q "DELETE FROM Upgrade WHERE ActionProperty = 'WIX_UPGRADE_DETECTED'" \
    -q "INSERT INTO Upgrade (UpgradeCode, VersionMin, VersionMax, Attributes, ActionProperty) VALUES ('{$upgrade_code}', '', '$version', 513, 'WIX_UPGRADE_DETECTED')" \
    -q "INSERT INTO RemoveFile (FileKey, Component_, FileName, DirProperty, InstallMode) VALUES ('InstallLog', 'ProgramComponent', 'install.log', 'INSTALLDIR', 2)"
# The summary's languages and author as the database has them, and a package code of its own
# for every different package: a name-based UUID of everything it is made of.
package_code=$(python3 - "$upgrade_code" "$package" "$version" "$wxs" "$0" <<'PY'
import hashlib, os, sys, uuid
upgrade, package, version, *sources = sys.argv[1:]
digest = hashlib.sha256(version.encode())
for source in sources:
    digest.update(open(source, 'rb').read())
for folder, dirs, files in sorted(os.walk(package)):
    dirs.sort()
    for name in sorted(files):
        path = os.path.join(folder, name)
        digest.update(os.path.relpath(path, package).encode() + b'\0' + open(path, 'rb').read())
print('{%s}' % str(uuid.uuid5(uuid.UUID(upgrade), 'Package ' + digest.hexdigest())).upper())
PY
)
at_epoch msibuild "$output" -s "PrinterSetup $version" "$manufacturer" "Intel;2052" "$package_code"
echo "== $output: $product_name $version, ProductCode {$product_code}"
