#!/usr/bin/env bash
# Builds the release program (i686 PrinterSetup.exe), checks it, seals it against the package it
# packs (scripts/seal.sh), signs it when given a key, and
# packs it in the folder layout of a driver package into dist/PrinterSetup-<version>.zip, with
# dist/...zip.sha256, and the same folder into the Windows Installer package
# dist/PrinterSetup-<version>.msi (scripts/make-msi.sh; signed too when given a key), with
# dist/...msi.sha256. The version is the program's own (its VERSIONINFO).
#
#   scripts/release.sh [--package DIR]      (or PACKAGE_DIR=DIR)
#
# Without --package the driver files and the three USB installers in the zip are the sample
# package's PLACEHOLDERS (PLACEHOLDERS.txt in the zip names each one). With it, DIR is a real
# driver package: it must hold every file the installation and the USB launchers need, none
# empty and none a sample placeholder, or nothing is packed.
#
# Authenticode (osslsigncode, SHA-256): SIGN_PFX=FILE (PKCS#12) with SIGN_PASSWORD or
# SIGN_PASSWORD_FILE, optional SIGN_TIMESTAMP_URL (an RFC 3161 time-stamping service). The
# unsigned program stays as built (reproducible); the zip holds the signed copy.
#
# Sourced (". scripts/release.sh"), it only defines its functions: sign_file FILE signs any
# PE or MSI file with the same key and settings.

# The package's files, from its one list (install/package-files.txt, which the program is built
# from too): driver_files, what the installation copies from a driver folder; usb_installers,
# the three installers the first page can start, relative to the package folder.
driver_files=()
usb_installers=()
while read -r role path; do
    case $role in
        driver) driver_files+=("$path") ;;
        usb-*) usb_installers+=("$path") ;;
    esac
done < <(grep -v '^#' "$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/install/package-files.txt")
[ ${#driver_files[@]} -gt 0 ] && [ ${#usb_installers[@]} -eq 3 ] ||
    { echo "install/package-files.txt names no driver files or not three USB installers" >&2; return 1 2>/dev/null || exit 1; }
# Every file the installation copies (both environments) and the USB installers.
required_package_files=()
for environment in x86 x64; do
    for file in "${driver_files[@]}"; do
        required_package_files+=("Printer Driver/$environment/$file")
    done
done
required_package_files+=("${usb_installers[@]}")

# The signing arguments of osslsigncode for FILE into OUT, one per line; the password goes
# through a file (-readpass), never on a command line that `ps` shows.
sign_arguments() {  # sign_arguments FILE OUT PASSWORD_FILE
    local url=${SIGN_TIMESTAMP_URL:-}
    printf '%s\n' sign -pkcs12 "$SIGN_PFX" -readpass "$3" -h sha256 -n "${SIGN_DESCRIPTION:-PrinterSetup}"
    if [ -n "$url" ]; then
        printf '%s\n' -ts "$url"
    fi
    printf '%s\n' -in "$1" -out "$2"
}

# Refuses what cannot be right before anything is signed: no key, an unreadable key, both or
# neither password form in doubt, a time-stamp address that is not http(s).
check_sign_settings() {
    [ -n "${SIGN_PFX:-}" ] || { echo "signing: SIGN_PFX is not set" >&2; return 1; }
    [ -r "$SIGN_PFX" ] || { echo "signing: cannot read the key file $SIGN_PFX" >&2; return 1; }
    if [ -n "${SIGN_PASSWORD_FILE:-}" ] && [ -n "${SIGN_PASSWORD:-}" ]; then
        echo "signing: give SIGN_PASSWORD or SIGN_PASSWORD_FILE, not both" >&2; return 1
    fi
    if [ -n "${SIGN_PASSWORD_FILE:-}" ] && [ ! -r "$SIGN_PASSWORD_FILE" ]; then
        echo "signing: cannot read the password file $SIGN_PASSWORD_FILE" >&2; return 1
    fi
    local url=${SIGN_TIMESTAMP_URL:-}
    if [ -n "$url" ] && ! [[ $url =~ ^https?://[^[:space:]/]+(/[^[:space:]]*)?$ ]]; then
        echo "signing: SIGN_TIMESTAMP_URL must be an http:// or https:// address: $url" >&2; return 1
    fi
}

# Signs FILE in place (Authenticode, SHA-256, time-stamped when SIGN_TIMESTAMP_URL is set).
sign_file() {  # sign_file FILE
    local file=${1:?usage: sign_file FILE}
    check_sign_settings || return 1
    local work password status=0
    work=$(mktemp -d)
    password=$work/password
    (umask 077
     if [ -n "${SIGN_PASSWORD_FILE:-}" ]; then head -n 1 "$SIGN_PASSWORD_FILE" | tr -d '\r\n' > "$password"
     else printf '%s' "${SIGN_PASSWORD:-}" > "$password"; fi)
    local arguments=()
    mapfile -t arguments < <(sign_arguments "$file" "$work/signed" "$password")
    if "${OSSLSIGNCODE:-osslsigncode}" "${arguments[@]}" > "$work/log" 2>&1; then
        mv -f "$work/signed" "$file"
    else
        status=1
        echo "signing $file failed:" >&2
        cat "$work/log" >&2
    fi
    rm -rf "$work"
    return $status
}

# Checks the signature of FILE against the key's own certificates and the system's trusted
# roots: a wrong password, a damaged file or a broken chain stops the release here.
verify_signature() {  # verify_signature FILE
    local work status=0
    work=$(mktemp -d)
    (umask 077
     if [ -n "${SIGN_PASSWORD_FILE:-}" ]; then head -n 1 "$SIGN_PASSWORD_FILE" | tr -d '\r\n' > "$work/password"
     else printf '%s' "${SIGN_PASSWORD:-}" > "$work/password"; fi)
    openssl pkcs12 -in "$SIGN_PFX" -nokeys -passin "file:$work/password" -out "$work/certs.pem" 2>/dev/null ||
        openssl pkcs12 -legacy -in "$SIGN_PFX" -nokeys -passin "file:$work/password" -out "$work/certs.pem" 2>/dev/null ||
        { echo "cannot read the certificates of $SIGN_PFX" >&2; rm -rf "$work"; return 1; }
    [ ! -r /etc/ssl/certs/ca-certificates.crt ] || cat /etc/ssl/certs/ca-certificates.crt >> "$work/certs.pem"
    local tsa=()
    [ -z "${SIGN_TIMESTAMP_URL:-}" ] || tsa=(-TSA-CAfile "$work/certs.pem")
    "${OSSLSIGNCODE:-osslsigncode}" verify -CAfile "$work/certs.pem" "${tsa[@]}" -in "$1" > "$work/log" 2>&1 ||
        { echo "the signature of $1 does not verify:" >&2; cat "$work/log" >&2; status=1; }
    rm -rf "$work"
    return $status
}

# The package folder's file for a relative path, matched without regard to case as Windows
# finds it; empty when there is none.
package_file() {  # package_file DIR RELATIVE
    local path=$1 part found
    IFS=/ read -r -a parts <<<"$2"
    for part in "${parts[@]}"; do
        found=$(find "$path" -mindepth 1 -maxdepth 1 -iname "$part" -print -quit 2>/dev/null)
        [ -n "$found" ] || return 0
        path=$found
    done
    [ -f "$path" ] && printf '%s\n' "$path"
}

# A sample placeholder: the sample package's text files say PLACEHOLDER in their first line,
# and the USB installers are the build's stand-in program.
is_placeholder() {  # is_placeholder FILE [STAND_IN...]
    local file=$1 standin
    shift
    [ "$(head -c 11 "$file" | tr -d '\0')" = PLACEHOLDER ] && return 0
    for standin in "$@"; do
        [ -f "$standin" ] && cmp -s "$file" "$standin" && return 0
    done
    return 1
}

# Every file the installation and the USB launchers need is there, not empty and real.
check_package() {  # check_package DIR [STAND_IN...]
    local dir=$1 relative file problems=()
    shift
    [ -d "$dir" ] || { echo "the driver package folder $dir does not exist" >&2; return 1; }
    for relative in "${required_package_files[@]}"; do
        file=$(package_file "$dir" "$relative")
        if [ -z "$file" ]; then problems+=("missing: $relative")
        elif [ ! -s "$file" ]; then problems+=("empty: $relative")
        elif is_placeholder "$file" "$@"; then problems+=("a sample placeholder: $relative")
        fi
    done
    if [ ${#problems[@]} -gt 0 ]; then
        echo "the driver package $dir cannot be released:" >&2
        printf '  %s\n' "${problems[@]}" >&2
        return 1
    fi
}

release_main() {
    local root build_root dist package_dir=${PACKAGE_DIR:-}
    root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
    build_root=${BUILD_ROOT:-$root/build}
    dist=${DIST_DIR:-$root/dist}
    while [ $# -gt 0 ]; do
        case $1 in
            --package) [ $# -ge 2 ] || { echo "--package needs a folder" >&2; return 2; }; package_dir=$2; shift 2 ;;
            --package=*) package_dir=${1#--package=}; shift ;;
            *) echo "usage: scripts/release.sh [--package DIR]" >&2; return 2 ;;
        esac
    done
    # Before the build: a release that would be refused is refused at once.
    [ -z "${SIGN_PFX:-}" ] || check_sign_settings || return 1

    "$root/scripts/build.sh" i686
    local package=$build_root/i686/package
    local exe=$package/PrinterSetup.exe standin=$build_root/i686/dpinst-standin.exe
    if [ -n "$package_dir" ]; then
        package_dir=$(cd "$package_dir" 2>/dev/null && pwd) || { echo "the driver package folder does not exist" >&2; return 1; }
        echo "== checking the driver package $package_dir"
        check_package "$package_dir" "$standin" || return 1
    fi

    echo "== checking the release program"
    bash "$root/tests/release/check-release.sh" "$exe" || { echo "release program failed its checks: not packed" >&2; return 1; }
    local version name
    version=$(python3 "$root/tests/release/peinfo.py" file-version "$exe")
    name=PrinterSetup-$version

    local stage top
    stage=$(mktemp -d)
    # shellcheck disable=SC2064  # the folder is known now
    trap "rm -rf '$stage'" EXIT
    top=$stage/$name
    mkdir -p "$top"
    local expected=()
    if [ -n "$package_dir" ]; then
        cp -r "$package_dir/." "$top/"
        [ ! -e "$top/PrinterSetup.exe" ] || echo "note: the package's own PrinterSetup.exe is replaced by this build"
        cp "$exe" "$top/PrinterSetup.exe"
        expected=("${required_package_files[@]}")
    else
        cp -r "$package/." "$top/"
        # Only what a user gets: the program, the driver folders, the USB installers, the read-me.
        find "$top" -name '*.started' -delete
        local placeholders
        placeholders=$(cd "$top" && find "Printer Driver" "USB Driver" USBdriver -type f | LC_ALL=C sort)
        {
            echo "PLACEHOLDERS - not for distribution to users"
            echo
            echo "This archive is built from the wizard's sample driver package. The files below are"
            echo "stand-ins, not working drivers or installers: the printer-driver files are small text"
            echo "placeholders, and the USB installers only leave a \"<name>.started\" marker beside"
            echo "themselves. Replace each with the real file of the same name before release, or build"
            echo "the release from the real package: scripts/release.sh --package DIR."
            echo
            printf '%s\n' "$placeholders" | sed 's|/|\\|g; s|^|  |'
        } | sed 's/$/\r/' > "$top/PLACEHOLDERS.txt"
        expected=(PLACEHOLDERS.txt README.txt "${required_package_files[@]}")
    fi

    # The seal before the signature, so that the signature covers it: the program installs and
    # starts only the package files it is packed with (scripts/seal.sh).
    local sealed_against=${package_dir:-the SAMPLE package $package} seal_summary
    seal_summary=$(bash "$root/scripts/seal.sh" "$top/PrinterSetup.exe" "$top") ||
        { echo "the program could not be sealed: not packed" >&2; return 1; }
    echo "== PrinterSetup.exe is SEALED against the driver package $sealed_against ($seal_summary)"

    local unsigned_hash signed_hash=""
    unsigned_hash=$(sha256sum "$top/PrinterSetup.exe" | cut -d' ' -f1)
    if [ -n "${SIGN_PFX:-}" ]; then
        echo "== signing PrinterSetup.exe (Authenticode, SHA-256${SIGN_TIMESTAMP_URL:+, time-stamped by $SIGN_TIMESTAMP_URL})"
        sign_file "$top/PrinterSetup.exe" || { echo "not packed" >&2; return 1; }
        verify_signature "$top/PrinterSetup.exe" || { echo "not packed" >&2; return 1; }
        signed_hash=$(sha256sum "$top/PrinterSetup.exe" | cut -d' ' -f1)
    fi

    # Same inputs, same zip: fixed times, sorted entries, no extra attributes.
    find "$top" -exec touch -h -d "@${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)}" {} +
    mkdir -p "$dist"
    local zip_path=$dist/$name.zip
    rm -f "$zip_path" "$zip_path.sha256"
    (cd "$stage" && find "$name" -print | LC_ALL=C sort | zip -q -X -D "$zip_path" -@)
    (cd "$dist" && sha256sum "$name.zip" > "$name.zip.sha256")

    # The archive as a user unpacks it.
    local listing entry
    listing=$(python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$zip_path")
    for entry in PrinterSetup.exe "${expected[@]}"; do
        grep -qixF "$name/$entry" <<<"$listing" || { echo "missing from the zip: $entry" >&2; return 1; }
    done
    (cd "$dist" && sha256sum --quiet -c "$name.zip.sha256")
    echo "== $zip_path ($(stat -c %s "$zip_path") bytes), program $(stat -c %s "$exe") bytes"
    echo "PrinterSetup.exe sealed against: $sealed_against ($seal_summary)"
    [ -n "$package_dir" ] && echo "driver package: $package_dir" || echo "driver package: the SAMPLE (placeholders; see PLACEHOLDERS.txt)"
    echo "PrinterSetup.exe unsigned SHA-256: $unsigned_hash (sealed; the reproducible build)"
    if [ -n "$signed_hash" ]; then
        echo "PrinterSetup.exe signed   SHA-256: $signed_hash (in the zip)"
    else
        echo "PrinterSetup.exe is UNSIGNED (no SIGN_PFX): Windows will show \"Unknown publisher\""
    fi
    cat "$zip_path.sha256"

    # The same folder as a Windows Installer package, for Group Policy, Intune and Configuration
    # Manager; its program is the zip's (signed when the zip's is).
    local msi_path=$dist/$name.msi
    rm -f "$msi_path" "$msi_path.sha256"
    bash "$root/scripts/make-msi.sh" "$top" "$msi_path" || { echo "no MSI" >&2; return 1; }
    if [ -n "${SIGN_PFX:-}" ]; then
        echo "== signing $name.msi"
        sign_file "$msi_path" && verify_signature "$msi_path" || { rm -f "$msi_path"; echo "no MSI" >&2; return 1; }
    fi
    bash "$root/tests/release/check-msi.sh" "$msi_path" > "$stage/check-msi.txt" ||
        { grep FAIL "$stage/check-msi.txt" >&2; rm -f "$msi_path"; echo "the MSI failed its checks" >&2; return 1; }
    (cd "$dist" && sha256sum "$name.msi" > "$name.msi.sha256")
    echo "== $msi_path ($(stat -c %s "$msi_path") bytes)$([ -n "${SIGN_PFX:-}" ] || echo ", UNSIGNED (no SIGN_PFX)")"
    cat "$msi_path.sha256"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    release_main "$@"
fi
