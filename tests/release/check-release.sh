#!/usr/bin/env bash
# Checks the release program without running it: a 32-bit GUI program that imports only
# DLLs every Windows has, loads winspool.drv, comctl32.dll and version.dll (not known DLLs, so an import
# of them would be searched beside the program first) only through delay-loading, and
# carries its administrator manifest and version resource; and the import audit.
# Further programs given after it get the delay-load check alone (the 64-bit build).
# Prints "ok <check>" or "FAIL <check>" per check; exits 1 on a failure.
set -uo pipefail
exe=${1:?usage: check-release.sh PrinterSetup.exe [OTHER.exe...]}
here=$(cd "$(dirname "$0")" && pwd)
status=0
check() {  # check NAME COMMAND...
    local name=$1; shift
    if "$@"; then echo "ok $name"; else echo "FAIL $name"; status=1; fi
}
peinfo() { python3 "$here/peinfo.py" "$@" 2>/dev/null; }
headers=$(i686-w64-mingw32-objdump -p "$exe" 2>/dev/null)
file_header=$(i686-w64-mingw32-objdump -f "$exe" 2>/dev/null)
imports=$(printf '%s\n' "$headers" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
delay_imports=$(peinfo delay-imports "$exe" | tr 'A-Z' 'a-z' | sort -u)
# Known DLLs: Windows maps them from its own directory whatever the search order.
known_dlls="kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll msvcrt.dll comdlg32.dll ole32.dll"
delay_loaded_dlls="winspool.drv comctl32.dll version.dll"
# The manifest's elements, without its comments.
manifest=$(peinfo manifest "$exe" | perl -0pe 's/<!--.*?-->//gs')

check "release program is PE32 (i386)" grep -q 'file format pei-i386' <<<"$headers"
check "release program is a GUI program" grep -qE 'Subsystem\s+0*2\s' <<<"$headers"
only_known() {
    local dll
    [ -n "$imports" ] || return 1
    for dll in $imports; do
        case " $known_dlls " in *" $dll "*) ;; *) echo "  not a known DLL: $dll" >&2; return 1 ;; esac
    done
}
check "release program imports only Windows known DLLs ($(echo $imports))" only_known
delay_loaded_only() {
    local dll
    for dll in $delay_loaded_dlls; do
        grep -qx "$dll" <<<"$delay_imports" || { echo "  not delay-loaded: $dll" >&2; return 1; }
        ! grep -qx "$dll" <<<"$imports" || { echo "  imported the ordinary way: $dll" >&2; return 1; }
    done
    for dll in $delay_imports; do
        case " $delay_loaded_dlls " in *" $dll "*) ;; *) echo "  unexpected delay import: $dll" >&2; return 1 ;; esac
    done
}
check "release program delay-loads winspool.drv, comctl32.dll and version.dll and imports none of them ($(echo $delay_imports))" delay_loaded_only
# Each delay-loaded function's IAT slot must hold the address of its load thunk, in the
# program's code, until the first call replaces it: a slot of 0 is a call to address 0 (the
# i686 linker once dropped the thunks of functions declared dllimport, see cmake/windows.cmake).
delay_slots_in_code() { python3 "$here/peinfo.py" delay-slots "$1" | grep -v '0x[0-9a-f]*$' >&2; [ "${PIPESTATUS[0]}" -eq 0 ]; }
for program in "$@"; do
    check "$(basename "$(dirname "$program")")/$(basename "$program"): every delay-load IAT slot points at its load thunk in the program" \
        delay_slots_in_code "$program"
done
no_mingw_runtime() { ! grep -qiE 'libstdc|libgcc|libwinpthread' <<<"$imports $delay_imports"; }
check "release program needs no MinGW runtime DLL" no_mingw_runtime
check "release program carries no symbol table" bash -c '! grep -q HAS_SYMS <<<"$1"' _ "$file_header"

# The size budget: a setup program that shops download and copy between PCs over slow links.
# Its size and its largest sections are printed every time, so that growth is seen as it comes.
size_budget=409600  # 400 KiB
size=$(stat -c %s "$exe")
echo "  release program: $size bytes of the $size_budget allowed; largest sections:"
i686-w64-mingw32-objdump -h "$exe" | while read -r index name hex _; do
    [[ $index =~ ^[0-9]+$ ]] && printf '    %-10s %7d bytes\n' "$name" "$((16#$hex))"; done | sort -k2 -nr | head -n 5
check "release program is within its size budget ($size of $size_budget bytes)" test "$size" -le "$size_budget"

# The import audit: every function the program imports (msvcrt included), ordinary or
# delay-loaded, is in the table with the first Windows that has it, none is newer than the
# oldest Windows the program is for, and the PE header asks for no newer one; a function
# looked up at run time (GetProcAddress in our sources, or the runtime's) is listed with its
# fallback, is not imported, and is still looked up (its name is in the program).
minimum=5.0  # Windows 2000
table="$here/imports.tsv"
audit() {  # audit imports|lookups|header
    python3 - "$1" "$table" "$minimum" "$exe" "$(peinfo imports "$exe")" "$(peinfo versions "$exe")" \
        "$(cd "$here/../.." && grep -rhoE 'GetProcAddress\([^;]*"[A-Za-z0-9_]+"|KernelFunction\("[A-Za-z0-9_]+"\)' \
               app install ports system ui win 2>/dev/null | grep -oE '"[A-Za-z0-9_]+"$|"[A-Za-z0-9_]+"\)$' | tr -d '")')" <<'PY'
import sys
what, table, minimum, exe, imported, versions, looked_up = sys.argv[1:]
version = lambda text: tuple(int(part) for part in text.split('.'))
rows = [line.rstrip('\n').split('\t') for line in open(table, encoding='utf-8')
        if line.strip() and not line.startswith('#')]
listed = {(r[0].lower(), r[1], r[2]): r for r in rows if r[2] in ('import', 'delay')}
found = {tuple(line.split('\t')) for line in imported.splitlines() if line}
problems = []
if what == 'imports':
    if not found:
        problems.append('no imports read')
    for key in sorted(found - set(listed)):
        problems.append('imported but not in the table: ' + ' '.join(key))
    for key in sorted(set(listed) - found):
        problems.append('in the table but not imported: ' + ' '.join(key))
    for key in sorted(found & set(listed)):
        row = listed[key]
        if len(row) < 5 or not row[4].strip():
            problems.append('no source for ' + ' '.join(key))
        elif version(row[3]) > version(minimum):
            problems.append(f'{" ".join(key)} needs Windows NT {row[3]}')
elif what == 'lookups':
    data = open(exe, 'rb').read()
    names = {function for _, function, _ in found}
    lookups = [r for r in rows if r[2] == 'lookup']
    if not lookups:
        problems.append('no lookups listed')
    # Our own code's look-ups (GetProcAddress with a literal name) must each have a row.
    for name in sorted(set(looked_up.split()) - {r[1] for r in lookups}):
        problems.append(f'{name} is looked up in the sources but not listed with its fallback')
    for row in lookups:
        if len(row) < 6 or not row[5].strip():
            problems.append(f'no fallback for {row[1]}')
        if row[1] in names:
            problems.append(f'{row[1]} is imported, so a system without it refuses to start the program')
        if b'\0' + row[1].encode() + b'\0' not in data:
            problems.append(f'{row[1]} is no longer looked up: remove its row')
elif what == 'header':
    for line in versions.splitlines():
        name, value = line.split('=')
        if version(value) > version(minimum):
            problems.append(f'PE header {name} version {value}')
    if len(versions.splitlines()) != 2:
        problems.append('PE header versions not read')
for problem in problems:
    print('  ' + problem, file=sys.stderr)
sys.exit(1 if problems else 0)
PY
}
check "release program's imports are all in tests/release/imports.tsv, none newer than Windows 2000 ($minimum)" audit imports
check "release program's run-time look-ups are listed with their fallbacks and none is imported" audit lookups
check "release program's PE header asks for no Windows newer than $minimum ($(peinfo versions "$exe" | paste -sd ' '))" audit header

check "release program's manifest asks for administrator rights" \
    grep -qE '<requestedExecutionLevel[^>]*level="requireAdministrator"[^>]*uiAccess="false"' <<<"$manifest"
# Windows XP and Server 2003 know the trust section only in the asm.v2 namespace; a tag with two
# namespace declarations makes XP SP2 restart (KB 921337).
xp_readable_trust_section() {
    grep -q '<trustInfo xmlns="urn:schemas-microsoft-com:asm.v2">' <<<"$manifest" &&
        ! grep -qE '<[^>]*xmlns(:[A-Za-z0-9_]+)?="[^"]*"[^>]*xmlns(:[A-Za-z0-9_]+)?=' <<<"$manifest"
}
check "release program's manifest writes its trust section as Windows XP and Server 2003 read it" xp_readable_trust_section
no_version_changing_entries() { ! grep -qE '<compatibility|supportedOS|Microsoft\.Windows\.Common-Controls' <<<"$manifest"; }
check "release program's manifest keeps the version report and the classic controls" no_version_changing_entries

file_version=$(peinfo file-version "$exe")
version_strings=$(peinfo version "$exe")
version_agrees() {
    [[ $file_version =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] || return 1
    grep -qx "FileVersion=$file_version" <<<"$version_strings" &&
        grep -qx "OriginalFilename=PrinterSetup.exe" <<<"$version_strings" &&
        grep -q "version=\"$file_version\"" <<<"$manifest"
}
check "release program carries its version resource (${file_version:-none}), matching the manifest" version_agrees
exit $status
