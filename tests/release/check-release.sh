#!/usr/bin/env bash
# Checks the release program without running it: a 32-bit GUI program that imports only
# DLLs every Windows has, loads winspool.drv and comctl32.dll (not known DLLs, so an import
# of them would be searched beside the program first) only through delay-loading, and
# carries its administrator manifest and version resource.
# Prints "ok <check>" or "FAIL <check>" per check; exits 1 on a failure.
set -uo pipefail
exe=${1:?usage: check-release.sh PrinterSetup.exe}
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
delay_loaded_dlls="winspool.drv comctl32.dll"
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
check "release program delay-loads winspool.drv and comctl32.dll and imports neither ($(echo $delay_imports))" delay_loaded_only
no_mingw_runtime() { ! grep -qiE 'libstdc|libgcc|libwinpthread' <<<"$imports $delay_imports"; }
check "release program needs no MinGW runtime DLL" no_mingw_runtime
check "release program carries no symbol table" bash -c '! grep -q HAS_SYMS <<<"$1"' _ "$file_header"

check "release program's manifest asks for administrator rights" \
    grep -qE '<requestedExecutionLevel[^>]*level="requireAdministrator"[^>]*uiAccess="false"' <<<"$manifest"
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
