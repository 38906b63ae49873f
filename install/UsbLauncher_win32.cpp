#include <windows.h>
#include <shellapi.h>

#include <string>

#include "system/HostArchitecture.h"
#include "install/InstallSystem_win32.h"
#include "install/PackageSeal.h"
#include "install/UsbLauncher.h"
#include "system/DecimalText.h"

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

// A sealed program starts the installer only when it is the release's, and holds it open,
// shared with readers only, from its check until its process has started: ShellExecute starts
// an executable before it returns, and from then on Windows keeps the running image from
// being changed (docs/windows-rules.md U3, U4).
void StartChecked(const std::string& installer, const std::string& path, std::wstring& refusal)
{
    Win32PackageFiles files;  // releases the installer when this returns
    const PackageSeal& seal = ProgramSeal();
    if (seal.state != SealState::Unsealed) {
        const InstallOutcome refused = CheckPackageAgainstSeal(seal, files, {installer});
        const std::wstring name(installer.begin(), installer.end());  // ASCII
        if (refused.failedStep == InstallStep::CheckSeal)
            refusal = SealRefusalText(refused, name);
        else if (refused.failedStep != InstallStep::None && refused.errorCode != ERROR_FILE_NOT_FOUND &&
                 refused.errorCode != ERROR_PATH_NOT_FOUND)
            refusal = L"The installer\n    " + name + L"\ncannot be checked (error " +
                      DecimalText(refused.errorCode) + L"), so it was not started.";
        if (refused.failedStep != InstallStep::None)
            return;  // a missing installer passes silently, as ShellExecute lets it
    }
    OpenWithShell(path);
}

}  // namespace

bool StartUsbSerialInstaller(std::wstring& refusal)
{
    const HostArchitecture host = CurrentHostArchitecture();
    const std::string path = UsbSerialInstallerPath(CurrentDirectory(), host);
    if (path.empty())
        return false;
    StartChecked(UsbSerialInstaller(host), path, refusal);
    return true;
}

void StartSecondUsbInstaller(std::wstring& refusal)
{
    StartChecked(kSecondUsbInstaller, SecondUsbInstallerPath(CurrentDirectory()), refusal);
}
