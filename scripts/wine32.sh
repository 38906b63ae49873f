#!/usr/bin/env bash
# Runs a Windows program under the 32-bit lane (32-bit Wine under qemu-i386) in the current
# WINEPREFIX, e.g. the release program in a 32-bit prefix:
#   WINEPREFIX=/tmp/p32 WINEARCH=win32 scripts/wine32.sh wineboot --init
#   cd build/i686/package && WINEPREFIX=/tmp/p32 ../../../scripts/wine32.sh PrinterSetup.exe /?
# In a 64-bit prefix the program runs as on 64-bit Windows (WOW64). The set-up is
# scripts/ensure-wine32.sh (run by the test command).
# Usage: scripts/wine32.sh PROGRAM [ARGS...]
set -euo pipefail
[ $# -gt 0 ] || { sed -n '2,9s/^# \{0,1\}//p' "$0" >&2; exit 2; }
loader=${WINE32_LANE_DIR:-/opt/printer-setup-wine32}/lib/wine/wine
[ -x "$loader" ] || { echo "the 32-bit lane is not set up: run scripts/ensure-wine32.sh" >&2; exit 2; }
exec "$loader" "$@"
