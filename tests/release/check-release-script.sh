#!/usr/bin/env bash
# Checks scripts/release.sh: Authenticode signing with a throwaway self-signed certificate
# (osslsigncode verify accepts the signed program against it, and refuses it after one
# changed byte or against another certificate), the time-stamp and password arguments (no
# network), the driver-package checks of --package, and the seal (scripts/seal.sh): the zip's
# and the MSI's program are sealed against the package packed, before signing, reproducibly.
# Prints "ok <check>" or "FAIL <check>" per check; exits 1 on a failure.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build_root=${BUILD_ROOT:-$root/build}
exe=$build_root/i686/PrinterSetup.exe
standin=$build_root/i686/dpinst-standin.exe
status=0
check() {  # check NAME COMMAND...
    local name=$1; shift
    if "$@"; then echo "ok $name"; else echo "FAIL $name"; status=1; fi
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=../../scripts/release.sh
. "$root/scripts/release.sh"

# Two throwaway signers: the one that signs, and a stranger.
for who in signer stranger; do
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Throwaway $who" \
        -addext "extendedKeyUsage=codeSigning" -keyout "$work/$who.key" -out "$work/$who.pem" 2>/dev/null
    openssl pkcs12 -export -inkey "$work/$who.key" -in "$work/$who.pem" -out "$work/$who.pfx" \
        -passout pass:"pw of $who" 2>/dev/null
done
verify() { osslsigncode verify -CAfile "$1" -in "$2" >/dev/null 2>&1; }

cp "$exe" "$work/signed.exe"
signed_ok() { SIGN_PFX=$work/signer.pfx SIGN_PASSWORD="pw of signer" sign_file "$work/signed.exe" 2>/dev/null; }
check "sign_file signs with the PKCS#12 key and its password" signed_ok
check "osslsigncode verify accepts the signed program against its certificate" verify "$work/signer.pem" "$work/signed.exe"
sha256_digest() { grep -qi 'sha256' <<<"$(osslsigncode verify -CAfile "$work/signer.pem" -in "$work/signed.exe" 2>/dev/null)"; }
check "the signature's digest is SHA-256" sha256_digest
tampered() {
    cp "$work/signed.exe" "$work/tampered.exe"
    local size; size=$(stat -c %s "$exe")
    # One byte in the middle of the program (its code), not in the signature.
    local at=$((size / 2)) byte
    byte=$(od -An -tu1 -j "$at" -N1 "$work/tampered.exe" | tr -d ' ')
    printf "\\x$(printf %02x $(((byte + 1) % 256)))" | dd of="$work/tampered.exe" bs=1 seek="$at" conv=notrunc 2>/dev/null
    ! verify "$work/signer.pem" "$work/tampered.exe"
}
check "one changed byte makes the verification fail" tampered
check "another certificate does not verify it" bash -c "! osslsigncode verify -CAfile '$work/stranger.pem' -in '$work/signed.exe' >/dev/null 2>&1"
wrong_password() {
    cp "$exe" "$work/wrong.exe"
    ! SIGN_PFX=$work/signer.pfx SIGN_PASSWORD=wrong sign_file "$work/wrong.exe" 2>/dev/null && cmp -s "$exe" "$work/wrong.exe"
}
check "a wrong password fails and leaves the file as it was" wrong_password

# The arguments as osslsigncode gets them, from a stand-in that records them.
cat > "$work/fake-osslsigncode" <<'FAKE'
#!/usr/bin/env bash
printf '%s\n' "$@" > "$FAKE_ARGS"
while [ $# -gt 0 ]; do case $1 in -readpass) cp "$2" "$FAKE_ARGS.password"; shift 2 ;; -out) cp "$FAKE_IN" "$2"; shift 2 ;; *) shift ;; esac; done
FAKE
chmod +x "$work/fake-osslsigncode"
cp "$exe" "$work/stamped.exe"
timestamp_arguments() {
    printf 'from a file\r\nsecond line\n' > "$work/password-crlf"
    FAKE_ARGS=$work/args FAKE_IN=$exe OSSLSIGNCODE=$work/fake-osslsigncode SIGN_PFX=$work/signer.pfx \
        SIGN_PASSWORD_FILE=$work/password-crlf SIGN_TIMESTAMP_URL=http://timestamp.example/rfc3161 \
        sign_file "$work/stamped.exe" || return 1
    local line; line=" $(tr '\n' ' ' < "$work/args")"
    [[ $line == *" -ts http://timestamp.example/rfc3161 "* && $line == *" -h sha256 "* ]] &&
        ! grep -q 'from a file' "$work/args" && [ "$(cat "$work/args.password")" = "from a file" ]
}
check "SIGN_TIMESTAMP_URL becomes -ts URL; the password file's first line goes by -readpass" timestamp_arguments
no_timestamp() {
    FAKE_ARGS=$work/args FAKE_IN=$exe OSSLSIGNCODE=$work/fake-osslsigncode SIGN_PFX=$work/signer.pfx SIGN_PASSWORD=x \
        sign_file "$work/stamped.exe" && ! grep -qx -- '-ts' "$work/args" && ! grep -qx -- '-t' "$work/args"
}
check "without SIGN_TIMESTAMP_URL nothing is time-stamped" no_timestamp
refused_settings() {
    local url
    for url in ftp://timestamp.example "http://time stamp.example" timestamp.example "https://"; do
        ( SIGN_PFX=$work/signer.pfx SIGN_PASSWORD=x SIGN_TIMESTAMP_URL=$url check_sign_settings 2>/dev/null ) &&
            { echo "  accepted: $url" >&2; return 1; }
    done
    ( SIGN_PFX=$work/none.pfx check_sign_settings 2>/dev/null ) && return 1
    ( SIGN_PFX=$work/signer.pfx SIGN_PASSWORD=x SIGN_PASSWORD_FILE=$work/signer.pem check_sign_settings 2>/dev/null ) && return 1
    ( SIGN_PFX=$work/signer.pfx SIGN_PASSWORD=x SIGN_TIMESTAMP_URL=https://ts.example:8080/x check_sign_settings )
}
check "a time-stamp address that is not http(s), a missing key and two passwords are refused" refused_settings

# Driver packages: a real-looking one, and the ways one can be wrong.
make_package() {  # make_package DIR: every needed file, with content that is no placeholder
    local relative
    for relative in "${required_package_files[@]}"; do
        mkdir -p "$1/$(dirname "$relative")"
        printf 'real bytes of %s\n' "$relative" > "$1/$relative"
    done
    printf 'INF of the USB driver\n' > "$1/USB Driver/x86/usbser.inf"
}
make_package "$work/real"
check "a complete package passes the check" check_package "$work/real" "$standin"
refusal() {  # refusal WHAT DIR: refused, naming WHAT
    local output
    output=$(check_package "$2" "$standin" 2>&1) && return 1
    grep -qF "$1" <<<"$output" || { echo "  $output" >&2; return 1; }
}
cp -r "$work/real" "$work/missing" && rm "$work/missing/Printer Driver/x64/UNIRES.DLL"
check "a missing driver file is refused by name" refusal "missing: Printer Driver/x64/UNIRES.DLL" "$work/missing"
cp -r "$work/real" "$work/empty" && : > "$work/empty/USBdriver/x86/dpinst.exe"
check "an empty USB installer is refused by name" refusal "empty: USBdriver/x86/dpinst.exe" "$work/empty"
check "the sample package's driver files are refused as placeholders" \
    refusal "a sample placeholder: Printer Driver/x86/VELM58KD.GPD" "$build_root/i686/package"
cp -r "$work/real" "$work/standin" && cp "$standin" "$work/standin/USB Driver/x64/dpinstx64.exe"
check "the USB installer stand-in is refused as a placeholder" \
    refusal "a sample placeholder: USB Driver/x64/dpinstx64.exe" "$work/standin"
mkdir -p "$work/case" && cp -r "$work/real/." "$work/case/" && mv "$work/case/Printer Driver/x86/uniDRV.DLL" "$work/case/Printer Driver/x86/UNIDRV.DLL"
check "file names match without regard to case, as on Windows" check_package "$work/case" "$standin"

# The whole release, as an administrator runs it.
release() {  # release DIST ARGS...: release.sh into DIST, its output in DIST.out
    local dist=$1; shift
    DIST_DIR=$dist BUILD_ROOT=$build_root bash "$root/scripts/release.sh" "$@" > "$dist.out" 2>&1
}
zip_member() { unzip -p "$1" "$2"; }
built_hash=$(sha256sum "$exe" | cut -d' ' -f1)
msi_program() {  # msi_program MSI OUT: the program the MSI installs
    local dir; dir=$(mktemp -d -p "$work") && (cd "$dir" && msiextract "$1" >/dev/null 2>&1) &&
        cp "$(find "$dir" -name PrinterSetup.exe -print -quit)" "$2"
}
signed_release() {
    printf 'pw of signer\n' > "$work/password"
    SIGN_PFX=$work/signer.pfx SIGN_PASSWORD_FILE=$work/password release "$work/signed-dist" --package "$work/real" || { cat "$work/signed-dist.out" >&2; return 1; }
    local zip plugin="$work/real/Printer Driver/x64/${driver_files[0]}"; zip=$(ls "$work"/signed-dist/*.zip) || return 1
    zip_member "$zip" "$(basename "$zip" .zip)/PrinterSetup.exe" > "$work/from-zip.exe"
    msi_program "$(ls "$work"/signed-dist/*.msi)" "$work/from-msi.exe" || return 1
    verify "$work/signer.pem" "$work/from-zip.exe" &&
        (cd "$work/signed-dist" && sha256sum --quiet -c ./*.sha256) &&
        [ "$(sha256sum "$exe" | cut -d' ' -f1)" = "$built_hash" ] &&
        grep -qF "signed   SHA-256: $(sha256sum "$work/from-zip.exe" | cut -d' ' -f1)" "$work/signed-dist.out" &&
        grep -qF "PrinterSetup.exe is SEALED against the driver package $work/real (${#required_package_files[@]} files, release 4.0.0.0)" "$work/signed-dist.out" &&
        grep -qaxF "file $(stat -c %s "$plugin") $(sha256sum "$plugin" | cut -d' ' -f1) Printer Driver\\x64\\${driver_files[0]}" "$work/from-zip.exe" &&
        cmp -s "$work/from-zip.exe" "$work/from-msi.exe" && cp "$work/from-zip.exe" "$work/signed-copy.exe" &&
        ! bash "$root/scripts/seal.sh" "$work/signed-copy.exe" "$work/real" 2>/dev/null && cmp -s "$work/from-zip.exe" "$work/signed-copy.exe" &&
        grep -q 'INF of the USB driver' <<<"$(zip_member "$zip" "$(basename "$zip" .zip)/USB Driver/x86/usbser.inf")" &&
        ! grep -q PLACEHOLDERS.txt <<<"$(unzip -l "$zip")"
}
check "SIGN_PFX with --package: the zip and the MSI hold the same signed exe, sealed against the package and verified; seal.sh refuses it" signed_release
unsigned_release() {
    release "$work/plain-dist" || { cat "$work/plain-dist.out" >&2; return 1; }
    local zip; zip=$(ls "$work"/plain-dist/*.zip) || return 1
    # Sealing is reproducible: the built program sealed here against the sample is the zip's.
    cp "$exe" "$work/resealed.exe" && bash "$root/scripts/seal.sh" "$work/resealed.exe" "$build_root/i686/package" >/dev/null &&
        [ "$(zip_member "$zip" "$(basename "$zip" .zip)/PrinterSetup.exe" | sha256sum | cut -d' ' -f1)" = \
          "$(sha256sum "$work/resealed.exe" | cut -d' ' -f1)" ] &&
        grep -q 'UNSIGNED' "$work/plain-dist.out" && grep -q 'SEALED against the driver package the SAMPLE' "$work/plain-dist.out" &&
        grep -q PLACEHOLDERS.txt <<<"$(unzip -l "$zip")"
}
check "without a key the zip is the marked sample with the unsigned exe sealed against it, reproducibly, and says so" unsigned_release
refused_release() {
    release "$work/refused-dist" --package "$work/missing" && return 1
    grep -qF "missing: Printer Driver/x64/UNIRES.DLL" "$work/refused-dist.out" && ! ls "$work"/refused-dist/*.zip >/dev/null 2>&1
}
check "release.sh --package with an incomplete package packs nothing" refused_release
exit $status
