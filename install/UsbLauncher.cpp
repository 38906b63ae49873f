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

std::string UsbSerialInstallerPath(const std::string& currentDirectory, bool wow64Host)
{
    return InPackage(currentDirectory,
                     wow64Host ? "USB Driver\\x64\\dpinstx64.exe" : "USB Driver\\x86\\dpinstx86.exe");
}

std::string SecondUsbInstallerPath(const std::string& currentDirectory)
{
    return InPackage(currentDirectory, "USBdriver\\x86\\dpinst.exe");
}
