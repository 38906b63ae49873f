#!/usr/bin/env bash
# Checks a Windows Installer package built by scripts/make-msi.sh without installing it, with
# msitools: the tables its custom actions need are there, each action has the type and place
# that makes it run as intended (wixl alone writes them wrongly), and the product's identity
# is the program's.
# Prints "ok <check>" or "FAIL <check>" per check; exits 1 on a failure.
set -uo pipefail
msi=${1:?usage: check-msi.sh PrinterSetup.msi}
msi=$(cd "$(dirname "$msi")" && pwd)/$(basename "$msi")
here=$(cd "$(dirname "$0")" && pwd)
status=0
check() {  # check NAME COMMAND...
    local name=$1; shift
    if "$@"; then echo "ok $name"; else echo "FAIL $name"; status=1; fi
}
table() { msiinfo export "$msi" "$1" 2>/dev/null | tr -d '\r' | tail -n +4; }
tables=$(msiinfo tables "$msi" 2>/dev/null)
actions=$(table CustomAction)
sequence=$(table InstallExecuteSequence)
properties=$(table Property)
property() { sed -n "s/^$1\t//p" <<<"$properties"; }
# The row of an action: "type<TAB>source<TAB>target".
action() { awk -F'\t' -v a="$1" '$1 == a { print $2 "\t" $3 "\t" $4 }' <<<"$actions"; }
# An action's condition and sequence number: "condition<TAB>number".
step() { awk -F'\t' -v a="$1" '$1 == a { print $2 "\t" $3 }' <<<"$sequence"; }
number() { step "$1" | cut -f2; }

has_tables() { for t in CustomAction InstallExecuteSequence Upgrade RemoveFile AppSearch; do grep -qx "$t" <<<"$tables" || return 1; done; }
check "package has the CustomAction, Upgrade, RemoveFile and AppSearch tables" has_tables

program='"[INSTALLDIR]PrinterSetup.exe"'
log='/log "[INSTALLDIR]install.log"'
# 34 = an exe run from a directory (its working folder); 0x400 deferred, 0x800 as SYSTEM,
# 0x100 rollback, 0x40 its result ignored.
check "install action: deferred, as SYSTEM, from INSTALLDIR, its failure fails the package" \
    test "$(action InstallPrinter)" = "3106	INSTALLDIR	$program [PrinterSetupArguments]"
check "rollback action: /quiet /uninstall, a rollback step as SYSTEM from INSTALLDIR" \
    test "$(action RollbackPrinter)" = "3426	INSTALLDIR	$program /quiet /uninstall $log"
check "uninstall action: /quiet /uninstall, deferred, as SYSTEM from INSTALLDIR" \
    test "$(action UninstallPrinter)" = "3106	INSTALLDIR	$program /quiet /uninstall $log"
arguments_built() {
    [ "$(action SetInstallArguments)" = "51	PrinterSetupArguments	/quiet $log" ] &&
    [ "$(action AddPortArgument)" = '51	PrinterSetupArguments	[PrinterSetupArguments] /port "[PORT]"' ] &&
    [ "$(action AddTcpArgument)" = '51	PrinterSetupArguments	[PrinterSetupArguments] /tcp "[TCP]"' ] &&
    [ "$(action AddNoDefaultArgument)" = '51	PrinterSetupArguments	[PrinterSetupArguments] /nodefault' ] &&
    [ "$(step AddPortArgument | cut -f1)" = 'NOT Installed AND PORT' ] &&
    [ "$(step AddTcpArgument | cut -f1)" = 'NOT Installed AND TCP' ] &&
    [ "$(step AddNoDefaultArgument | cut -f1)" = 'NOT Installed AND NOT (SETDEFAULT = "1")' ]
}
check "program arguments: /port only with PORT, /tcp only with TCP, /nodefault unless SETDEFAULT=1" arguments_built
in_order() {
    local validate initialize remove_files install_files rollback install uninstall remove_existing arg
    validate=$(number InstallValidate); initialize=$(number InstallInitialize)
    remove_files=$(number RemoveFiles); install_files=$(number InstallFiles)
    rollback=$(number RollbackPrinter); install=$(number InstallPrinter); uninstall=$(number UninstallPrinter)
    remove_existing=$(number RemoveExistingProducts)
    for arg in SetInstallArguments AddPortArgument AddTcpArgument AddNoDefaultArgument; do
        [ -n "$(number $arg)" ] && [ "$(number $arg)" -lt "$initialize" ] || return 1
    done
    [ "$(number SetInstallArguments)" -lt "$(number AddPortArgument)" ] &&
    [ "$(number AddPortArgument)" -lt "$(number AddTcpArgument)" ] &&
    [ "$(number AddTcpArgument)" -lt "$(number AddNoDefaultArgument)" ] &&
    [ "$validate" -lt "$remove_existing" ] && [ "$remove_existing" -lt "$initialize" ] &&
    [ "$initialize" -lt "$uninstall" ] && [ "$uninstall" -lt "$remove_files" ] &&
    [ "$install_files" -lt "$rollback" ] && [ "$rollback" -lt "$install" ] &&
    [ "$install" -lt "$(number InstallFinalize)" ]
}
check "sequence: older version removed first, uninstall before the files go, rollback before install after the files" in_order
conditions() {
    [ "$(step InstallPrinter | cut -f1)" = "NOT Installed" ] &&
    [ "$(step RollbackPrinter | cut -f1)" = "NOT Installed AND NOT PRINTERPRESENT" ] &&
    [ "$(step UninstallPrinter | cut -f1)" = 'REMOVE = "ALL" AND NOT UPGRADINGPRODUCTCODE' ]
}
check "conditions: install once, roll back only a printer it added, uninstall on removal but not on upgrade" conditions
check "install.log goes with the uninstallation" \
    grep -qP '^InstallLog\tProgramComponent\tinstall\.log\tINSTALLDIR\t2$' <<<"$(table RemoveFile)"
replaces_earlier() {
    local version; version=$(property ProductVersion)
    # UpgradeCode, VersionMin, VersionMax, Language, Attributes (0x200: maximum included, 1: migrate features)
    grep -qP "^\{6F1C2B4E-8D3A-4E57-9B0C-5A2E71D4C3F8\}\t\t\Q$version\E\t\t513\t\tWIX_UPGRADE_DETECTED$" <<<"$(table Upgrade)"
}
check "earlier releases up to this version, fourth field aside, are replaced" replaces_earlier
secure() { local p; for p in PORT TCP SETDEFAULT; do grep -qE "(^|;)$p(;|$)" <<<"$(property SecureCustomProperties)" || return 1; done; }
check "PORT, TCP and SETDEFAULT pass to an elevated or managed installation" secure

# The product is the program's: its version and names, a ProductCode derived from the version.
exe_dir=$(mktemp -d)
trap 'rm -rf "$exe_dir"' EXIT
(cd "$exe_dir" && msiextract "$msi" >/dev/null 2>&1)
exe=$(find "$exe_dir" -name PrinterSetup.exe -print -quit)
identity() {
    [ -n "$exe" ] || { echo "  no PrinterSetup.exe in the package" >&2; return 1; }
    local strings version upgrade expected
    strings=$(python3 "$here/peinfo.py" version "$exe")
    version=$(property ProductVersion)
    upgrade=$(property UpgradeCode | tr -d '{}')
    expected=$(python3 -c 'import sys, uuid; print("{%s}" % str(uuid.uuid5(uuid.UUID(sys.argv[1]), "ProductCode " + sys.argv[2])).upper())' "$upgrade" "$version")
    [ "$(property ProductName)" = "$(sed -n 's/^ProductName=//p' <<<"$strings")" ] &&
    [ "$(property Manufacturer)" = "$(sed -n 's/^CompanyName=//p' <<<"$strings")" ] &&
    [ "$(property ProductCode)" = "$expected" ] &&
    [ "$upgrade" = "6F1C2B4E-8D3A-4E57-9B0C-5A2E71D4C3F8" ] &&
    grep -qP "^INSTALLDIR\tProgramFilesFolder\t\Q$(property ProductName)\E$" <<<"$(table Directory)"
}
check "product name, maker, install folder and ProductCode follow the program's version resource" identity
per_machine_32bit() {
    [ "$(property ALLUSERS)" = 1 ] && grep -qx 'Template: Intel;2052' <<<"$(msiinfo suminfo "$msi")"
}
check "package is per-machine and 32-bit" per_machine_32bit
exit $status
