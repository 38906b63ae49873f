#!/usr/bin/env bash
# The 32-bit lane's set-up (called by ensure-deps.sh; safe to run again): Debian's 32-bit
# Wine, and qemu-i386 to run it on a machine whose kernel cannot execute 32-bit programs.
# Debian 12's own qemu (7.2) ignores MAP_FIXED_NOREPLACE, so that every Wine process spends
# about 50 s reserving its address space: qemu-user 10 comes from bookworm-backports, fetched
# through a private apt configuration (the system's sources are left as they are) and
# unpacked into the lane's folder. Wine starts each new process by running the file `wine`
# beside its loader, so the folder holds a copy of the 32-bit loader and a `wine` that runs
# it under qemu-i386: no binfmt registration, no root at run time.
set -euo pipefail
lane=${WINE32_LANE_DIR:-/opt/printer-setup-wine32}
bin=$lane/lib/wine
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)

packages=(wine32:i386 libxrender1:i386 libxcursor1:i386 libxrandr2:i386 libxi6:i386 libxinerama1:i386
          libxcomposite1:i386 libxfixes3:i386 libxxf86vm1:i386)
if ! grep -qx i386 <<<"$(dpkg --print-foreign-architectures)"; then
    "${as_root[@]}" dpkg --add-architecture i386
    bash "$(dirname "$0")/apt-update.sh"
fi
missing=()
for package in "${packages[@]}"; do
    [ "$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null)" = "install ok installed" ] || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing for the 32-bit lane: ${missing[*]}"
    bash "$(dirname "$0")/apt-update.sh"
    # --no-remove: it upgrades a few amd64 libraries to the i386 ones' version, removes nothing.
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-remove --no-install-recommends \
        "${missing[@]}" >/dev/null
fi

if ! [[ "$("$bin/qemu-i386" --version 2>/dev/null)" =~ version\ ([0-9]+) && ${BASH_REMATCH[1]} -ge 10 ]]; then
    echo "Fetching qemu-user 10 from bookworm-backports for the 32-bit lane"
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    mkdir -p "$work/lists/partial" "$work/cache/archives/partial"
    # The backports suite of the archive the system's own sources name for bookworm.
    bookworm_archive() { apt-get indextargets --format '$(REPO_URI) $(CODENAME)' | awk '$2 == "bookworm" && !found { print $1; found = 1 }'; }
    mirror=$(bookworm_archive)
    [ -n "$mirror" ] || { bash "$(dirname "$0")/apt-update.sh" && mirror=$(bookworm_archive); }
    [ -n "$mirror" ] || { echo "no bookworm archive among the system's apt sources" >&2; exit 1; }
    echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm-backports main" \
        > "$work/sources.list"
    apt_private=(-o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=/dev/null
                 -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache" -o APT::Sandbox::User=root)
    bash "$(dirname "$0")/apt-update.sh" "${apt_private[@]}"
    (cd "$work" && apt-get "${apt_private[@]}" download -qq qemu-user)
    dpkg -x "$work"/qemu-user_*.deb "$work/unpacked"
    "${as_root[@]}" mkdir -p "$bin"
    "${as_root[@]}" install -m 755 "$work/unpacked/usr/bin/qemu-i386" "$bin/qemu-i386"
fi

# The loader's folder, laid out as Debian's (bin /usr/lib/wine, libraries
# /usr/lib/i386-linux-gnu/wine, data /usr/share/wine), so that Wine's relative paths hold. The
# native 64-bit wineserver serves 32-bit clients; wine64 starts a WOW64 prefix's 64-bit services.
"${as_root[@]}" mkdir -p "$bin" "$lane/lib/i386-linux-gnu" "$lane/share"
cmp -s /usr/lib/wine/wine "$bin/wine.real" || "${as_root[@]}" install -m 755 /usr/lib/wine/wine "$bin/wine.real"
"${as_root[@]}" ln -sfn /usr/lib/wine/wineserver "$bin/wineserver"
"${as_root[@]}" ln -sfn /usr/lib/wine/wine64 "$bin/wine64"
"${as_root[@]}" ln -sfn /usr/lib/i386-linux-gnu/wine "$lane/lib/i386-linux-gnu/wine"
"${as_root[@]}" ln -sfn /usr/share/wine "$lane/share/wine"
launcher='#!/bin/sh
# Runs the 32-bit Wine loader beside this file under qemu-i386; argv[0] stays this file, so
# that Wine starts its further 32-bit processes the same way.
here=${0%/*}
exec "$here/qemu-i386" -L / -0 "$0" "$here/wine.real" "$@"'
[ "$(cat "$bin/wine" 2>/dev/null)" = "$launcher" ] || { printf '%s\n' "$launcher" | "${as_root[@]}" tee "$bin/wine" >/dev/null; }
"${as_root[@]}" chmod 755 "$bin/wine"
