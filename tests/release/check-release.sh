#!/usr/bin/env bash
# Checks the release program without running it: a 32-bit GUI program that imports only
# DLLs every Windows has. Prints "ok <check>" or "FAIL <check>" per check; exits 1 on a failure.
set -uo pipefail
exe=${1:?usage: check-release.sh PrinterSetup.exe}
status=0
check() {  # check NAME COMMAND...
    local name=$1; shift
    if "$@"; then echo "ok $name"; else echo "FAIL $name"; status=1; fi
}
headers=$(i686-w64-mingw32-objdump -p "$exe" 2>/dev/null)
imports=$(printf '%s\n' "$headers" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
system_dlls="kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll comctl32.dll winspool.drv msvcrt.dll comdlg32.dll ole32.dll"

check "release program is PE32 (i386)" grep -q 'file format pei-i386' <<<"$headers"
check "release program is a GUI program" grep -qE 'Subsystem\s+0*2\s' <<<"$headers"
only_system() {
    local dll
    [ -n "$imports" ] || return 1
    for dll in $imports; do
        case " $system_dlls " in *" $dll "*) ;; *) echo "  not a system DLL: $dll" >&2; return 1 ;; esac
    done
}
check "release program imports only Windows system DLLs ($(echo $imports))" only_system
no_mingw_runtime() { ! grep -qiE 'libstdc|libgcc|libwinpthread' <<<"$imports"; }
check "release program needs no MinGW runtime DLL" no_mingw_runtime
exit $status
