#include "install/InstallFailureText.h"

namespace {

const wchar_t kNothingChanged[] = L"Nothing was installed.";

std::wstring Quoted(const std::wstring& text)
{
    return L"\"" + text + L"\"";
}

}  // namespace

std::wstring ComposeInstallFailure(const InstallOutcome& outcome, const std::wstring& errorText,
                                   const std::function<std::wstring(const std::string&)>& widenAnsi)
{
    const std::wstring subject = widenAnsi(outcome.subject);
    const std::wstring target = widenAnsi(outcome.target);
    std::wstring text;
    switch (outcome.failedStep) {
    case InstallStep::CheckPort:
        return L"No port was chosen. Select the port that the printer is connected to.\n" +
               std::wstring(kNothingChanged);
    case InstallStep::CheckModel:
        return L"No printer model is selected.\n" + std::wstring(kNothingChanged);
    case InstallStep::CheckPackage:
        text = L"The driver package is incomplete. These files are missing:\n";
        for (const std::string& file : outcome.missingFiles)
            text += L"\n    " + widenAnsi(file);
        return text + L"\n\nStart the setup from the folder of the driver package.\n" + kNothingChanged;
    case InstallStep::NoDriverForHost:
        return L"This driver package has no printer driver for ARM64 Windows (no folder\n    " + subject +
               L"\nin it). An x64 or x86 printer driver cannot print on ARM64 Windows.\n" + kNothingChanged;
    case InstallStep::ReadPackage:
        text = L"The driver file\n    " + subject + L"\ncannot be read. " + kNothingChanged;
        break;
    case InstallStep::DriverDirectory:
        text = L"The print spooler did not name its driver folder for " + Quoted(subject) + L".";
        break;
    case InstallStep::CopyFile:
        text = L"The driver file\n    " + subject + L"\ncould not be copied to\n    " + target;
        break;
    case InstallStep::RegisterDriver:
        text = L"The printer driver " + Quoted(subject) + L" could not be registered.";
        break;
    case InstallStep::AddPrinter:
        text = L"The printer " + Quoted(subject) + L" could not be added on port " + Quoted(target) + L".";
        break;
    case InstallStep::UpdatePrinter:
        text = L"The printer " + Quoted(subject) + L" exists already and could not be moved to port " +
               Quoted(target) + L".";
        break;
    case InstallStep::None:
        text = L"The installation did not finish.";
        break;
    }
    if (!errorText.empty())
        text += L"\n\n" + errorText;
    return text;
}
