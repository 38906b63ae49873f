// Reading and resetting what an installation leaves in Wine's spooler, driver directory
// and registry, for the installation tests.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "PackageFileList.h"

extern const char kDriver[];       // the model's driver and printer name
extern const char kWindowsKey[];   // HKCU: "Device"
extern const char kPortsKey[];     // HKLM: the COM ports' line settings
// The driver folder's files, as install/package-files.txt lists them.
static constexpr auto& kPackageFiles = kPackageDriverFiles;

// The Windows the program finds on this Wine, told apart as the program does not (so that the tests check its
// decision): 64-bit for the 64-bit tests and for the 32-bit ones in a WOW64 prefix, 32-bit in a 32-bit prefix
// (the 32-bit lane). Its printer environment, and the package's driver folder and USB installer for it.
bool OnWindowsX64();
const char* HostEnvironment();
std::string HostDriverFolder();
std::string HostUsbInstaller();

// The printer of this model, and its driver in both environments, off the spooler.
void RemovePrinterAndDriver();
std::string DriverDirectory(const char* environment);
// Deletes the package's files from a driver directory, so that what is there afterwards is
// what a later installation copied.
void DeletePackageFiles(const std::string& directory);
// Puts PrinterSetup-sealed.exe (sealed against the sample by scripts/seal.sh), or the program
// WIZARD_SEALED_PROGRAM names, in `folder`.
bool UseSealedProgram(const std::string& folder);
// Inverts one byte of a file; a second call restores it.
bool FlipByte(const std::string& path, LONG at);
// A string value (and its size in bytes), or "<none>" when it is not there.
std::string RegistryString(HKEY root, const char* key, const char* name, DWORD* size = nullptr);
// False when the value could not be written.
bool SetRegistryString(HKEY root, const char* key, const char* name, const std::string& data);
// The current user's default printer ("Device" under kWindowsKey), read and set the same way.
std::string DeviceValue();
bool SetDeviceValue(const std::string& data);

struct InstalledDriver {
    bool found = false;
    DWORD version = 0;
    std::string environment, driverPath, dataFile, configFile, helpFile, defaultDataType;
    std::vector<std::string> dependentFiles;
};
// The model's driver as EnumPrinterDriversA level 3 reports it.
InstalledDriver FindDriver(const char* environment);

struct InstalledPrinter {
    bool found = false;
    std::string port, driver, printProcessor, datatype;
};
// The model's printer as GetPrinterA level 2 reports it.
InstalledPrinter FindPrinter();

// Case-insensitive, as Windows compares file names.
bool EndsWith(const std::string& text, const std::string& end);
