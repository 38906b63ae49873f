#include "install/InstallFailureText.h"

#include "install/PackageSeal.h"
#include "system/Win32ErrorCodes.h"
#include "system/DecimalText.h"

namespace {

const wchar_t kNothingChanged[] = L"Nothing was installed.";

std::wstring Quoted(const std::wstring& text)
{
    return L"\"" + text + L"\"";
}

std::wstring Ascii(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
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
        return L"The driver file\n    " + subject + L"\ncannot be read to check it.";
    case InstalledFileProblem::SizeDiffers:
    case InstalledFileProblem::ContentDiffers:
        if (outcome.olderFile.name.empty())
            return installed + L"is not the file this program was released with, although it is the package's\n    " +
                   target + L"\nThe package's file was changed while the setup ran.";
        return installed + L"is not the same as the package's\n    " + target + L"\n" + OlderCopyText(outcome.olderFile);
    case InstalledFileProblem::None:
        break;
    }
    return L"The installed driver files could not be checked.";
}

std::wstring Number(uint32_t value)
{
    return DecimalText(value);
}

std::wstring ProtectedPrintText(ProtectedPrint source)
{
    std::wstring text =
        L"Windows protected print mode is on. In this mode Windows prints only with its own printer drivers and "
        L"does not install the drivers of printer makers, so it blocks this printer driver.\n"
        L"An administrator can turn the mode off in Settings > Bluetooth & devices > Printers & scanners, or in "
        L"the group policy \"Configure Windows protected print\" (Computer Configuration > Administrative "
        L"Templates > Printers), and then run the setup again.";
    switch (source) {
    case ProtectedPrint::ByPolicy:
        text += L"\nIt is on by group policy: WindowsProtectedPrintGroupPolicyState = 1 under "
                L"HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows NT\\Printers\\WPP.";
        break;
    case ProtectedPrint::BySetting:
        text += L"\nIt is on: WindowsProtectedPrintMode = 1 under "
                L"HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows NT\\Printers\\WPP.";
        break;
    case ProtectedPrint::ByApi:
    case ProtectedPrint::Off:
        break;
    }
    return text + L"\n" + kNothingChanged;
}

// The meaning of a ValidationLevel, as the policy describes its levels.
const wchar_t* ValidationLevelMeaning(uint32_t level)
{
    switch (level) {
    case 0: return L"only the drivers that come with Windows";
    case 1: return L"also drivers signed by a certificate in the \"PrintDrivers\" store";
    case 2: return L"also WHQL-signed drivers";
    case 3: return L"also drivers signed by a Trusted Publisher";
    case 4: return L"any validly signed driver";
    default: return nullptr;
    }
}

std::wstring RegistryValueText(const RegistryDword& value)
{
    if (value.kind == RegistryDword::Kind::Dword)
        return Number(value.dword);
    return L"a value of registry type " + Number(value.type);
}

// The driver policies in force when the spooler refused: which error they cause is not
// documented, so they are named beside Windows' own answer.
std::wstring DriverPolicyText(const DriverPolicies& policies)
{
    const std::wstring key = L"HKLM\\Software\\Policies\\Microsoft\\Windows NT\\Printers\\Driver";
    std::wstring text;
    if (policies.validationLevel.kind != RegistryDword::Kind::Absent) {
        text += L"\nThe print driver policy ValidationLevel is set to " + RegistryValueText(policies.validationLevel);
        const wchar_t* meaning = policies.validationLevel.kind == RegistryDword::Kind::Dword
                                     ? ValidationLevelMeaning(policies.validationLevel.dword)
                                     : nullptr;
        text += meaning ? L" (Windows accepts " + std::wstring(meaning) + L")." : std::wstring(L".");
    }
    if (policies.exclusionListEntries >= 0)
        text += L"\nThe print driver policy ExclusionList refuses drivers by their hash; it has " +
                Number(static_cast<uint32_t>(policies.exclusionListEntries)) +
                (policies.exclusionListEntries == 1 ? L" entry." : L" entries.");
    else if (policies.exclusionListValue.kind != RegistryDword::Kind::Absent)
        text += L"\nThe print driver policy ExclusionList is set to " + RegistryValueText(policies.exclusionListValue) + L".";
    if (!text.empty())
        text += L"\nThese policies are under " + key + L"; an administrator may have to change them.";
    return text;
}

// Why the spooler refused the driver, beyond Windows' own text for the error.
std::wstring RegisterDriverText(const InstallOutcome& outcome, const std::wstring& subject)
{
    std::wstring text = L"The printer driver " + Quoted(subject) + L" could not be registered.";
    if (outcome.errorCode == kErrorPrinterDriverBlocked)
        text += L"\nWindows blocks this printer driver on this system. Running the setup again will not change that.";
    else if (outcome.errorCode == kErrorPrinterDriverWarned && outcome.warnedDriver == WarnedDriver::Declined)
        text += L"\nWindows warns that this printer driver may make the system unreliable, and you chose not to "
                L"install it.";
    else if (outcome.errorCode == kErrorPrinterDriverWarned && outcome.warnedDriver == WarnedDriver::NobodyToAsk)
        text += L"\nWindows warns that this printer driver may make the system unreliable. An unattended "
                L"installation does not install such a driver; run the setup without /quiet to decide.";
    else if ((outcome.errorCode == kErrorAccessDenied || outcome.errorCode == kErrorElevationRequired) && outcome.elevated)
        text += L"\nWindows refused the administrator's rights for printer driver installation: the setup runs "
                L"as an administrator, yet the print spooler did not let it install the driver.";
    return text + DriverPolicyText(outcome.driverPolicies);
}

}  // namespace

// What was found about an older copy left in place: both versions and dates ("version 0.3.2600.0,
// dated 2012-03-01", or "no version, dated ..."), and which of them decided.
std::wstring OlderCopyText(const DifferingDriverFile& file)
{
    std::string installedDate, packageDate;
    DatesOfBoth(file.installed.writeTime, file.package.writeTime, installedDate, packageDate);
    auto facts = [](const DriverFileFacts& facts, const std::string& date) {
        return (facts.hasVersion ? L"version " : L"") + Ascii(VersionText(facts)) + L", dated " + Ascii(date);
    };
    return L"Installed: " + facts(file.installed, installedDate) + L"; the package's: " +
           facts(file.package, packageDate) +
           (file.verdict == FileVerdict::LowerVersion ? L". The installed version is lower"
                                                       : L". The installed file is dated earlier") +
           L", so Windows would have replaced it: an older copy is still in place, probably because a "
           L"program uses it.";
}

std::wstring KeptFileText(const DifferingDriverFile& file)
{
    const std::wstring name = Ascii(file.name) + L": Windows kept its ";
    if (file.verdict == FileVerdict::KeptHigherVersion)
        return name + L"newer version " + Ascii(VersionText(file.installed)) + L"; the package has " +
               Ascii(VersionText(file.package));
    std::string installedDate, packageDate;
    DatesOfBoth(file.installed.writeTime, file.package.writeTime, installedDate, packageDate);
    const std::wstring dates = L"dated " + Ascii(installedDate) + L"; the package's is dated " + Ascii(packageDate);
    if (file.verdict == FileVerdict::KeptSameVersion)
        return name + L"copy of the same version " + Ascii(VersionText(file.installed)) + L", " + dates;
    return name + L"copy " + dates;
}

std::wstring CompletionText(const std::vector<DifferingDriverFile>& keptFiles)
{
    std::wstring text = L"Completed!";
    for (size_t i = 0; i < keptFiles.size(); ++i)
        text += (i == 0 ? L"\n\n" : L"\n") + KeptFileText(keptFiles[i]);
    return text;
}

std::wstring WarnedDriverQuestion(const std::wstring& driverName)
{
    return L"Windows warns that the printer driver " + Quoted(driverName) +
           L" may make this computer unreliable.\n\nInstall it anyway?";
}

std::wstring ComposeInstallFailure(const InstallOutcome& outcome, const std::wstring& errorText,
                                   const std::function<std::wstring(const std::string&)>& widenAnsi)
{
    const std::wstring subject = widenAnsi(outcome.subject);
    const std::wstring target = widenAnsi(outcome.target);
    std::wstring text;
    switch (outcome.failedStep) {
    case InstallStep::ProtectedPrint:
        return ProtectedPrintText(outcome.protectedPrint);
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
        text = RegisterDriverText(outcome, subject);
        break;
    case InstallStep::VerifyDriver:
        text = VerifyProblemText(outcome, subject, target) +
               L"\nClose all programs that print, or restart the computer, then run the setup again. "
               L"No printer was added or changed.";
        break;
    case InstallStep::CheckDriverFiles:
        text = L"The driver file " + Quoted(subject) + L" is not in the print spooler's driver folder\n    " + target +
               L"\nalthough it was copied there, so the printer driver was not registered. Nothing was registered "
               L"and no printer was added.";
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

std::wstring LeadWithSpoolerService(const SpoolerServiceCheck& check, const std::wstring& serviceErrorText,
                                    const std::wstring& failure)
{
    const std::wstring service = SpoolerServiceText(check, serviceErrorText);
    if (service.empty())
        return failure;
    return failure.empty() ? service : service + L"\n\n" + failure;
}
