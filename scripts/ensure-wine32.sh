#!/usr/bin/env bash
# The 32-bit lane's set-up (run by the test command before the lane; safe to run again):
# Debian 12's 32-bit Wine, and qemu-i386 to run it on a machine whose kernel cannot execute
# 32-bit programs. Nothing is installed into the system: the i386 packages are fetched with a
# private apt configuration and unpacked into the lane's own tree, which qemu-i386 (-L) takes
# as the root of every absolute path the 32-bit programs open. So their versions need not
# match the amd64 libraries the system has, and an i386 list that a mirror serves out of step
# with its signed index (as bookworm-security's once was for days) costs only its updates.
# Debian 12's own qemu (7.2) ignores MAP_FIXED_NOREPLACE, so that every Wine process spends
# about 50 s reserving its address space: qemu-user 10 comes from bookworm-backports. Wine
# starts each new process by running the file `wine` beside its loader, so the folder holds a
# copy of the 32-bit loader and a `wine` that runs it under qemu-i386: no binfmt registration,
# no root at run time.
set -euo pipefail
here=$(dirname "$0")
lane=${WINE32_LANE_DIR:-/opt/printer-setup-wine32}
bin=$lane/lib/wine
tree=$lane/root
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)

# Its Wine must be the native wine64's version: both talk to the one native wineserver.
wine_version=$(dpkg-query -W -f='${Version}' wine64)
packages=(wine32="$wine_version" libwine="$wine_version" libxrender1 libxcursor1 libxrandr2 libxi6
          libxinerama1 libxcomposite1 libxfixes3 libxxf86vm1)
stamp="${packages[*]}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# apt_private NAME SOURCES-LINE...: an apt configuration of its own in $work/NAME, updated.
apt_private() {
    local dir=$work/$1; shift
    mkdir -p "$dir/lists/partial" "$dir/cache/archives/partial"
    printf '%s\n' "$@" > "$dir/sources.list"
    : > "$dir/status"
    apt_options=(-o Dir::Etc::SourceList="$dir/sources.list" -o Dir::Etc::SourceParts=/dev/null
                 -o Dir::State::Lists="$dir/lists" -o Dir::Cache="$dir/cache" -o APT::Sandbox::User=root
                 -o Dir::Etc::Preferences=/dev/null -o Dir::Etc::PreferencesParts=/dev/null)
    bash "$here/apt-update.sh" "${apt_options[@]}"
}
# The archives the system's own sources name for bookworm, its updates and security suites.
bookworm_archives() {
    apt-get indextargets --format '$(REPO_URI) $(CODENAME)' | awk '$2 ~ /^bookworm(-updates|-security)?$/' | sort -u
}
archives=$(bookworm_archives)
[ -n "$archives" ] || { bash "$here/apt-update.sh" && archives=$(bookworm_archives); }
[ -n "$archives" ] || { echo "no bookworm archive among the system's apt sources" >&2; exit 1; }
keyring=signed-by=/usr/share/keyrings/debian-archive-keyring.gpg

if [ "$(cat "$tree/.packages" 2>/dev/null)" != "$stamp" ]; then
    echo "Fetching Debian's 32-bit Wine ($wine_version) for the 32-bit lane"
    sources=()
    while read -r uri codename; do sources+=("deb [arch=i386 $keyring] $uri $codename main"); done <<<"$archives"
    apt_private i386 "${sources[@]}"
    # An empty package status: every dependency comes as i386, none is taken from the system.
    apt-get "${apt_options[@]}" -o Dir::State::status="$work/i386/status" -o APT::Architecture=i386 \
        -o APT::Architectures=i386 install -y -qq --download-only --no-install-recommends "${packages[@]}" >/dev/null
    "${as_root[@]}" rm -rf "$tree"
    "${as_root[@]}" mkdir -p "$tree"
    for deb in "$work"/i386/cache/archives/*.deb; do "${as_root[@]}" dpkg -x "$deb" "$tree"; done
    # What libwine's own postinst does: Wine loads zlib1.dll as a builtin from its own folder.
    for arch in i686:i386 x86_64:x86_64; do
        in=$tree/usr/${arch%%:*}-w64-mingw32/lib/zlib1.dll
        { head -c 64 "$in"; printf 'Wine builtin DLL'; printf '\0%.0s' {1..16}; tail -c +97 "$in"; } |
            "${as_root[@]}" tee "$tree/usr/lib/i386-linux-gnu/wine/${arch##*:}-windows/zlib1.dll" >/dev/null
    done
    # The tree's own library cache, which libc6's trigger would have written: Wine opens
    # FreeType, X11 and the rest by soname.
    echo 'include /etc/ld.so.conf.d/*.conf' | "${as_root[@]}" tee "$tree/etc/ld.so.conf" >/dev/null
    "${as_root[@]}" ldconfig -r "$tree"
    echo "$stamp" | "${as_root[@]}" tee "$tree/.packages" >/dev/null
fi

if ! [[ "$("$bin/qemu-i386" --version 2>/dev/null)" =~ version\ ([0-9]+) && ${BASH_REMATCH[1]} -ge 10 ]]; then
    echo "Fetching qemu-user 10 from bookworm-backports for the 32-bit lane"
    apt_private backports "deb [$keyring] $(awk '$2 == "bookworm" { print $1; exit }' <<<"$archives") bookworm-backports main"
    (cd "$work/backports" && apt-get "${apt_options[@]}" download -qq qemu-user)
    dpkg -x "$work"/backports/qemu-user_*.deb "$work/backports/unpacked"
    "${as_root[@]}" mkdir -p "$bin"
    "${as_root[@]}" install -m 755 "$work/backports/unpacked/usr/bin/qemu-i386" "$bin/qemu-i386"
fi

# The loader's folder, laid out as Debian's (bin /usr/lib/wine, libraries
# /usr/lib/i386-linux-gnu/wine, data /usr/share/wine), so that Wine's relative paths hold. The
# native 64-bit wineserver serves 32-bit clients; wine64 starts a WOW64 prefix's 64-bit services.
"${as_root[@]}" mkdir -p "$bin" "$lane/lib/i386-linux-gnu" "$lane/share"
cmp -s "$tree/usr/lib/wine/wine" "$bin/wine.real" || "${as_root[@]}" install -m 755 "$tree/usr/lib/wine/wine" "$bin/wine.real"
"${as_root[@]}" ln -sfn /usr/lib/wine/wineserver "$bin/wineserver"
"${as_root[@]}" ln -sfn /usr/lib/wine/wine64 "$bin/wine64"
"${as_root[@]}" ln -sfn "$tree/usr/lib/i386-linux-gnu/wine" "$lane/lib/i386-linux-gnu/wine"
"${as_root[@]}" ln -sfn /usr/share/wine "$lane/share/wine"
launcher="#!/bin/sh
# Runs the 32-bit Wine loader under qemu-i386, with the lane's i386 tree as the root of the paths
# it opens; argv[0] stays the name this was started by, so that Wine starts its further 32-bit
# processes the same way.
exec \"$bin/qemu-i386\" -L \"$tree\" -0 \"\$0\" \"$bin/wine.real\" \"\$@\""
[ "$(cat "$bin/wine" 2>/dev/null)" = "$launcher" ] || { printf '%s\n' "$launcher" | "${as_root[@]}" tee "$bin/wine" >/dev/null; }
"${as_root[@]}" chmod 755 "$bin/wine"
# The native 64-bit Wine starts a 32-bit process (a WOW64 prefix's) through the `wine` beside its
# own loader, /usr/lib/wine/wine, and nowhere else: Wine 8's loader_exec and
# get_alternate_wineloader (dlls/ntdll/unix/loader.c) take it from the folder of ntdll.so's own
# loader, then fall back to wine64 itself (seen with strace -e execve). Where no package provides that file, the lane's is
# linked there; a wine32 package's own loader is left as it is.
if ! dpkg-query -S /usr/lib/wine/wine >/dev/null 2>&1; then
    [ "$(readlink /usr/lib/wine/wine 2>/dev/null)" = "$bin/wine" ] || "${as_root[@]}" ln -sfn "$bin/wine" /usr/lib/wine/wine
fi
