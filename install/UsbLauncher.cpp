#include "install/UsbLauncher.h"

namespace {

// Only a drive's root ("C:\\") ends with a backslash. The last byte alone cannot tell: in
// code page 936 the second byte of a Chinese character may be 0x5C, the backslash.
std::string InPackage(const std::string& currentDirectory, const char* relativePath)
{
    std::string path = currentDirectory;
    bool driveRoot = path.size() == 3 && path[1] == ':' && path[2] == '\\';
    if (!driveRoot)
        path += '\\';
    return path + relativePath;
}

}  // namespace

const wchar_t kNoUsbSerialDriverForArm64Text[] =
    L"This driver package holds no USB serial driver for ARM64 Windows. The x64 USB serial driver "
    L"cannot be installed on ARM64 Windows, so no installer was started.";

std::string UsbSerialInstaller(HostArchitecture host)
{
    switch (host) {
    case HostArchitecture::X64: return kUsbInstallerX64;
    case HostArchitecture::X86: return kUsbInstallerX86;
    case HostArchitecture::Arm64: break;  // docs/windows-rules.md U2: no x64 kernel driver loads there
    }
    return std::string();
}

std::string UsbSerialInstallerPath(const std::string& currentDirectory, HostArchitecture host)
{
    const std::string installer = UsbSerialInstaller(host);
    return installer.empty() ? installer : InPackage(currentDirectory, installer.c_str());
}

std::string SecondUsbInstallerPath(const std::string& currentDirectory)
{
    return InPackage(currentDirectory, kSecondUsbInstaller);
}
