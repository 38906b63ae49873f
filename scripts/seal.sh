#!/usr/bin/env bash
# Seals a built PrinterSetup.exe against a driver package: writes into the program's seal
# resource (IDR_PACKAGE_SEAL, res/PrinterSetup.rc) every package file the program may install
# or start, by its path relative to the package root, with its size and SHA-256, and the
# program's release version. The resource keeps its size: nothing is relinked, and the PE
# checksum is brought up to date when the file has one. Same program and package, same bytes.
# Seal before signing (the signature must cover the seal); a signed program is refused.
#
#   scripts/seal.sh EXE PACKAGE_DIR
#
# The files: the driver files of each driver folder the program may use (x86 and x64, and arm64
# when the package has that folder) and the three USB installers, as install/package-files.txt
# lists them (read by scripts/release.sh); each must be there and not empty.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
exe=${1:?usage: scripts/seal.sh EXE PACKAGE_DIR}
package=${2:?usage: scripts/seal.sh EXE PACKAGE_DIR}
[ -f "$exe" ] || { echo "seal: no program $exe" >&2; exit 1; }
[ -d "$package" ] || { echo "seal: no package folder $package" >&2; exit 1; }
. "$root/scripts/release.sh"  # driver_files, required_package_files, package_file

files=("${required_package_files[@]}")
if [ -n "$(package_file "$package" "Printer Driver/arm64/${driver_files[0]}")" ] ||
   [ -n "$(find "$package" -maxdepth 2 -ipath "*/Printer Driver/arm64" -type d -print -quit)" ]; then
    for file in "${driver_files[@]}"; do
        files+=("Printer Driver/arm64/$file")
    done
fi
# "relative<TAB>file on disk", one a line; the program's spelling of the path, its own case.
list=()
for relative in "${files[@]}"; do
    found=$(package_file "$package" "$relative")
    [ -n "$found" ] || { echo "seal: the package $package has no $relative" >&2; exit 1; }
    [ -s "$found" ] || { echo "seal: $relative is empty in $package" >&2; exit 1; }
    list+=("$relative"$'\t'"$found")
done

listing=$(mktemp)
trap 'rm -f "$listing"' EXIT
printf '%s\n' "${list[@]}" > "$listing"
python3 - "$exe" "$root/tests/release" "$listing" <<'PY'
import hashlib, struct, sys
exe, peinfo_dir, listing = sys.argv[1], sys.argv[2], sys.argv[3]
sys.path.insert(0, peinfo_dir)
from peinfo import Image, fixed_version, RT_VERSION

RT_RCDATA, SEAL_ID, TITLE = 10, 200, b'PrinterSetup package seal\n'
image = Image(exe)
data = bytearray(image.data)
pe = struct.unpack_from('<I', data, 0x3C)[0]
optional = pe + 24
directories = optional + (112 if image.pe32_plus else 96)
if struct.unpack_from('<II', data, directories + 4 * 8)[1] != 0:
    sys.exit(f'seal: {exe} is signed already: seal it before signing')

def entries(base, directory):
    named, numbered = struct.unpack_from('<12xHH', data, base + directory)
    for i in range(named + numbered):
        yield struct.unpack_from('<II', data, base + directory + 16 + 8 * i)

base = image.offset(image.resource_rva)
where = None
for type_key, type_dir in entries(base, 0):
    if type_key != RT_RCDATA or not type_dir & 0x80000000:
        continue
    for id_key, id_dir in entries(base, type_dir & 0x7FFFFFFF):
        if id_key == SEAL_ID and id_dir & 0x80000000:
            for _, leaf in entries(base, id_dir & 0x7FFFFFFF):
                rva, size = struct.unpack_from('<II', data, base + leaf)
                where = (image.offset(rva), size)
if where is None:
    sys.exit(f'seal: {exe} has no seal resource (RCDATA {SEAL_ID})')
at, size = where
if not data[at:at + size].startswith(TITLE):
    sys.exit(f'seal: the seal resource of {exe} is not a seal placeholder')

version = None
for key, _, block in image.resources(RT_VERSION):
    version = fixed_version(block)
if not version:
    sys.exit(f'seal: {exe} has no version resource')

text = TITLE + b'format 1\nrelease ' + version.encode() + b'\n'
count = 0
for line in open(listing, encoding='utf-8').read().splitlines():
    relative, path = line.split('\t', 1)
    digest, length = hashlib.sha256(), 0
    with open(path, 'rb') as f:
        for piece in iter(lambda: f.read(1 << 20), b''):
            digest.update(piece)
            length += len(piece)
    text += f'file {length} {digest.hexdigest()} {relative.replace("/", chr(92))}\n'.encode('ascii')
    count += 1
text += f'end {count}\n'.encode()
if len(text) > size:
    sys.exit(f'seal: {count} files need {len(text)} bytes; the seal resource holds {size}')
data[at:at + size] = text + bytes(size - len(text))

# The PE checksum (when the linker set one): 16-bit sums with the carry folded back, the
# checksum field itself left out, plus the file's length.
checksum_at = optional + 64
if struct.unpack_from('<I', data, checksum_at)[0] != 0:
    struct.pack_into('<I', data, checksum_at, 0)
    padded = data + b'\0' * (len(data) % 2)
    total = 0
    for (word,) in struct.iter_unpack('<H', padded):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    struct.pack_into('<I', data, checksum_at, ((total & 0xFFFF) + (total >> 16) & 0xFFFF) + len(data))
with open(exe, 'r+b') as f:
    f.write(data)
print(f'{count} files, release {version}')
PY
