// The installation of the model's driver and printer: package files into the spooler's
// driver directory, the driver's registration, the printer on the chosen port, and the
// registry settings for the default printer and a serial port.
#pragma once
#include <string>
#include <vector>

#include "install/DriverSpooler.h"
#include "system/HostArchitecture.h"
#include "system/PrintPolicies.h"
#include "install/InstallFeedback.h"
#include "install/InstallOutcome.h"
#include "install/PackageFiles.h"
#include "install/RegistryWriter.h"

// What the two pages chose; combo-box indexes as CB_GETCURSEL gives them (-1: none).
struct InstallChoices {
    HostArchitecture host = HostArchitecture::X86;  // whose driver environment and package folder
    int modelIndex = 0;           // model combo box
    int portComboIndex = 0;       // port combo box of the serial panel: 0..2 LPT, 3..6 COM
    int baudIndex = 5;
    int dataBitsIndex = 3;
    int stopBitsIndex = 0;
    int parityIndex = 2;
    int flowIndex = 2;
    bool setDefaultPrinter = true;  // "Set Default Printer" exactly checked
    std::string defaultPrinterUser;  // the SID of the person at the desktop when not ours; empty: HKCU
    std::string port;               // the port page's chosen port name
    std::string monitorName;        // the driver's language monitor: none
};

struct PackageSeal;

struct InstallSystem {
    DriverSpooler& spooler;
    PackageFiles& files;
    RegistryWriter& registry;
    InstallFeedback& feedback;
    // The machine's print policies and version, read before the installation starts.
    PrintPolicies policies = PrintPolicies();
    // The program believes it has administrator rights (an elevated token).
    bool elevated = false;
    // The program's seal; null or unsealed: the package is used as it is (a developer build).
    const PackageSeal* seal = nullptr;
};

struct EnvironmentNames {
    const char* environment;    // "Windows NT x86", "Windows x64" or "Windows ARM64"
    const char* sourceFolder;   // "Printer Driver\x86\", "...\x64\" or "...\arm64\"
};
EnvironmentNames EnvironmentFor(HostArchitecture host);

// One package file and the name of its copy in the driver directory, in copying order.
struct PackageFile {
    std::string source;  // relative to the current directory
    std::string name;
};
// The driver folder's files of install/package-files.txt; the model's plug-in and GPD first.
std::vector<PackageFile> PackageFilesFor(const EnvironmentNames& names);

// The files the driver names only when the package's driver folder holds them (KAPLINX.ini and
// KAPLINX.dll), copied after PackageFilesFor's.
std::vector<PackageFile> OptionalPackageFilesFor(const EnvironmentNames& names);

// The dependent-files list: the three Unidrv files, then `optionalNames` (those of
// OptionalPackageFilesFor this run copies), then the plug-in DLL, each a bare file name, ended by
// the empty name; at least 255 bytes, zero-filled.
std::vector<char> DependentFilesList(const char* pluginBase, const std::vector<std::string>& optionalNames);

// Runs the whole installation. It stops at the first failed step and changes nothing at all
// when the choices or the package are unusable.
InstallOutcome RunInstallation(const InstallChoices& choices, InstallSystem& system);
