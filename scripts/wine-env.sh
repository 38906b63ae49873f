# Sourced by the scripts that run Windows programs: a throwaway 64-bit Wine prefix,
# the zh_CN locale (code page 936), and Wine's own window captions.
WINE=/usr/lib/wine/wine64
export WINEDEBUG=${WINEDEBUG:--all}
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8

# new_wine_prefix DIR: makes a fresh prefix in DIR and exports WINEPREFIX.
new_wine_prefix() {
    export WINEPREFIX=$1
    mkdir -p "$WINEPREFIX"
    # No Mono or Gecko installer dialogs: the wizard needs neither.
    WINEDLLOVERRIDES="mscoree,mshtml=" "$WINE" wineboot --init >/dev/null 2>&1
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d Y /f >/dev/null 2>&1
    "$WINE" wineserver -w 2>/dev/null || /usr/lib/wine/wineserver -w
}
