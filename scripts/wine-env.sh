# Sourced by the scripts that run Windows programs: a throwaway 64-bit Wine prefix,
# the zh_CN locale (code page 936, so the Chinese texts render), and Wine's own captions.
# The locale is given to Wine alone. Wine renders the Chinese texts without a glibc locale, but
# needs one to turn Chinese file names into Unix names, so one is compiled into a private
# folder (LOCPATH) rather than into the system's locale archive.
WIZARD_LOCALE_DIR=${WIZARD_LOCALE_DIR:-/tmp/printer-setup-locale}
if [ ! -f "$WIZARD_LOCALE_DIR/zh_CN.UTF-8/LC_CTYPE" ]; then
    mkdir -p "$WIZARD_LOCALE_DIR"
    localedef -i zh_CN -f UTF-8 "$WIZARD_LOCALE_DIR/zh_CN.UTF-8" 2>/dev/null || true
fi
WINE=(env LOCPATH="$WIZARD_LOCALE_DIR" LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 /usr/lib/wine/wine64)
WINESERVER=/usr/lib/wine/wineserver
# The 32-bit lane (scripts/ensure-wine32.sh): 32-bit Wine under qemu-i386, same locale.
WINE32=(env LOCPATH="$WIZARD_LOCALE_DIR" LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
        "${WINE32_LANE_DIR:-/opt/printer-setup-wine32}/lib/wine/wine")
export WINEDEBUG=${WINEDEBUG:--all}

# new_wine_prefix DIR [win32]: makes a fresh prefix in DIR (64-bit; with win32 a 32-bit one,
# made by the 32-bit lane) and exports WINEPREFIX.
new_wine_prefix() {
    export WINEPREFIX=$1
    local wine=("${WINE[@]}")
    [ "${2:-}" != win32 ] || wine=(env WINEARCH=win32 "${WINE32[@]}")
    mkdir -p "$WINEPREFIX"
    # No Mono or Gecko installer dialogs: the wizard needs neither.
    WINEDLLOVERRIDES="mscoree,mshtml=" "${wine[@]}" wineboot --init >/dev/null 2>&1
    "${wine[@]}" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    "$WINESERVER" -w
}
