// The installers of the USB virtual serial port driver, kept in the driver package.
#pragma once
#include <string>

#include "PackageFileList.h"  // kUsbInstallerX86, kUsbInstallerX64, kSecondUsbInstaller
#include "system/HostArchitecture.h"

// The installers' paths relative to the package root, as the seal names them
// (install/package-files.txt). Empty on ARM64 Windows (see below).
std::string UsbSerialInstaller(HostArchitecture host);

// "<current directory>\USB Driver\x64\dpinstx64.exe" on x64 Windows, the x86 one on 32-bit
// Windows. Empty on ARM64 Windows: the package holds no ARM64 USB serial driver, and an x64
// kernel driver does not load there.
std::string UsbSerialInstallerPath(const std::string& currentDirectory, HostArchitecture host);
// "<current directory>\USBdriver\x86\dpinst.exe", whatever the system.
std::string SecondUsbInstallerPath(const std::string& currentDirectory);

// Shown instead of starting an installer on ARM64 Windows.
extern const wchar_t kNoUsbSerialDriverForArm64Text[];

// Win32 side (UsbLauncher_win32.cpp): start the installer and leave it running on its own.
// False when the package holds no installer for this system; nothing was started then. A
// sealed program starts only the installer it was released with: held open from its check
// until its process has started; `refusal` says why nothing was started otherwise.
bool StartUsbSerialInstaller(std::wstring& refusal);
void StartSecondUsbInstaller(std::wstring& refusal);
