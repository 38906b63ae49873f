#include "install/InstallFailureText.h"

#include "install/PackageSeal.h"

namespace {

const wchar_t kNothingChanged[] = L"Nothing was installed.";

std::wstring Quoted(const std::wstring& text)
{
    return L"\"" + text + L"\"";
}

// What the read-back found, naming the installed file and the package's copy.
std::wstring VerifyProblemText(const InstallOutcome& outcome, const std::wstring& subject, const std::wstring& target)
{
    const std::wstring installed = L"The installed driver file\n    " + subject + L"\n";
    switch (outcome.fileProblem) {
    case InstalledFileProblem::DriverNotReported:
        return L"The print spooler does not report the printer driver " + Quoted(subject) +
               L" it has just registered, so its files cannot be checked.";
    case InstalledFileProblem::NotRegistered:
        return L"The print spooler did not register the driver file " + Quoted(subject) + L".";
    case InstalledFileProblem::Missing:
        return installed + L"is not there, although the print spooler registered it.";
    case InstalledFileProblem::Unreadable:
        return installed + L"cannot be read to check it.";
    case InstalledFileProblem::SizeDiffers:
    case InstalledFileProblem::ContentDiffers:
        return installed + L"is not the same as the package's\n    " + target +
               L"\nAn older copy is still in place: Windows could not replace it, probably because it is in use.";
    case InstalledFileProblem::None:
        break;
    }
    return L"The installed driver files could not be checked.";
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
        text = L"The driver package is incomplete.";
        if (!outcome.missingFiles.empty()) {
            text += L" These files are missing:\n";
            for (const std::string& file : outcome.missingFiles)
                text += L"\n    " + widenAnsi(file);
        }
        if (!outcome.emptyFiles.empty()) {
            text += outcome.missingFiles.empty() ? L" " : L"\n\n";
            text += L"These files are empty (0 bytes):\n";
            for (const std::string& file : outcome.emptyFiles)
                text += L"\n    " + widenAnsi(file);
        }
        text += outcome.emptyFiles.empty() ? L"\n\nStart the setup from the folder of the driver package.\n"
                                           : L"\n\nCopy the driver package again and start the setup from its folder.\n";
        return text + kNothingChanged;
    case InstallStep::NoDriverForHost:
        return L"This driver package has no printer driver for ARM64 Windows (no folder\n    " + subject +
               L"\nin it). An x64 or x86 printer driver cannot print on ARM64 Windows.\n" + kNothingChanged;
    case InstallStep::ReadPackage:
        text = L"The driver file\n    " + subject + L"\ncannot be read. " + kNothingChanged;
        break;
    case InstallStep::CheckSeal:
        return SealRefusalText(outcome, subject);
    case InstallStep::DriverDirectory:
        text = L"The print spooler did not name its driver folder for " + Quoted(subject) + L".";
        break;
    case InstallStep::CopyFile:
        text = L"The driver file\n    " + subject + L"\ncould not be copied to\n    " + target;
        break;
    case InstallStep::RegisterDriver:
        text = L"The printer driver " + Quoted(subject) + L" could not be registered.";
        break;
    case InstallStep::VerifyDriver:
        text = VerifyProblemText(outcome, subject, target) +
               L"\nClose all programs that print, or restart the computer, then run the setup again. "
               L"No printer was added or changed.";
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
