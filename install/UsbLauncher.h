// The installers of the USB virtual serial port driver, kept in the driver package.
#pragma once
#include <string>

// "<current directory>\USB Driver\x64\dpinstx64.exe" on a 64-bit Windows, else the x86 one.
std::string UsbSerialInstallerPath(const std::string& currentDirectory, bool wow64Host);
// "<current directory>\USBdriver\x86\dpinst.exe", whatever the system.
std::string SecondUsbInstallerPath(const std::string& currentDirectory);

// Win32 side (UsbLauncher_win32.cpp): start the installer and leave it running on its own.
void StartUsbSerialInstaller();
void StartSecondUsbInstaller();
