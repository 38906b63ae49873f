#include <windows.h>
#include <shellapi.h>

#include <string>

#include "system/HostArchitecture.h"
#include "install/UsbLauncher.h"

namespace {

// The package is found relative to the current directory, not to the program's folder.
std::string CurrentDirectory()
{
    char buffer[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, buffer);
    return buffer;
}

void OpenWithShell(const std::string& path)
{
    // The installer's own window reports its outcome; a missing file passes silently.
    ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

bool StartUsbSerialInstaller()
{
    const std::string path = UsbSerialInstallerPath(CurrentDirectory(), CurrentHostArchitecture());
    if (path.empty())
        return false;
    OpenWithShell(path);
    return true;
}

void StartSecondUsbInstaller()
{
    OpenWithShell(SecondUsbInstallerPath(CurrentDirectory()));
}
