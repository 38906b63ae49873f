#include "app/QuietMode.h"

#include "install/InstallFailureText.h"
#include "install/Installation.h"
#include "install/ModelCatalogue.h"
#include "install/PortEnumeration.h"
#include "install/TextCompare.h"

namespace {

// The installation's messages go to the log; there is no bar to watch and nobody to wait for.
class LoggingFeedback : public InstallFeedback {
public:
    explicit LoggingFeedback(QuietSystem& system) : m_system(system) {}
    void SetProgress(int) override {}
    void ShowRegistryMessage() override
    {
        ++registryMessages;
        m_system.log.Write(L"Registry: " + m_system.registryMessage);
    }
    void Pause(int) override {}
    int registryMessages = 0;

private:
    QuietSystem& m_system;
};

std::wstring Quoted(const std::wstring& text)
{
    return L"\"" + text + L"\"";
}

std::wstring Ascii(const char* text)
{
    return std::wstring(text, text + std::char_traits<char>::length(text));
}


int Finish(QuietSystem& system, int exitCode)
{
    system.log.Write((exitCode == kExitSuccess ? L"Result: success, exit code " : L"Result: failure, exit code ") +
                     std::to_wstring(exitCode) + L".");
    return exitCode;
}

std::wstring ErrorSuffix(QuietSystem& system, uint32_t errorCode)
{
    if (errorCode == 0)
        return std::wstring();
    return L" " + system.errorText(errorCode) + L" (error " + std::to_wstring(errorCode) + L")";
}

std::wstring DescribeStep(QuietSystem& system, const UninstallStep& step)
{
    const std::wstring subject = Quoted(system.widenAnsi(step.subject));
    std::wstring what;
    switch (step.item) {
    case UninstallItem::Printer:
        what = L"Printer " + subject;
        break;
    case UninstallItem::Driver:
        what = L"Driver " + subject;
        break;
    case UninstallItem::DefaultPrinterValue:
        what = step.subject.empty() ? L"Default printer value \"Device\"" : L"Default printer value \"Device\" = " + subject;
        break;
    }
    switch (step.result) {
    case UninstallResult::Removed:
        return what + L": removed.";
    case UninstallResult::Absent:
        return what + L": not present.";
    case UninstallResult::Kept:
        return what + L": names another printer, left as it is.";
    case UninstallResult::Failed:
        break;
    }
    return what + L": could not be removed." + ErrorSuffix(system, step.errorCode);
}

}  // namespace

std::wstring OneLine(const std::wstring& text)
{
    std::wstring line;
    bool previousIndented = false;
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find_first_of(L"\r\n", at);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring part = text.substr(at, end - at);
        at = end + 1;
        const bool indented = !part.empty() && (part[0] == L' ' || part[0] == L'\t');
        const size_t first = part.find_first_not_of(L" \t");
        if (first == std::wstring::npos)
            continue;
        part = part.substr(first, part.find_last_not_of(L" \t") - first + 1);
        // Indented lines are names (files, folders) that may hold blanks: quoted, they stay
        // recognisable on one line.
        if (indented)
            part = L"\"" + part + L"\"";
        if (!line.empty())
            line += previousIndented && indented ? L", " : L" ";
        line += part;
        previousIndented = indented;
    }
    return line;
}

bool FindListedPort(IPortSpooler& ports, const std::string& wanted, std::string& found,
                    std::vector<std::string>& listed)
{
    EnumeratedRecords records(
        [&ports](uint8_t* buffer, uint32_t size, uint32_t& needed, uint32_t& returned) {
            return ports.EnumeratePorts(2, buffer, size, needed, returned);
        },
        sizeof(PortInfo2Record));
    bool matched = false;
    for (uint32_t i = 0; i < records.Count(); ++i) {
        const std::string name = records.Text(records.At<PortInfo2Record>(i).pPortName);
        if (name.empty())
            continue;
        listed.push_back(name);
        // The first of two names that differ only in case; Windows would not list both.
        if (!matched && SameTextIgnoringCase(name, wanted)) {
            found = name;
            matched = true;
        }
    }
    return matched;
}

int RunQuietInstall(const CommandLineOptions& options, QuietSystem& system)
{
    const ModelRecord& model = kModelRecords[0];
    const EnvironmentNames names = EnvironmentFor(system.host);
    const std::wstring printer = Quoted(Ascii(model.driverName));
    system.log.Write(L"Quiet install of printer " + printer + L" on port " + Quoted(system.widenAnsi(options.port)) +
                     L", environment " + Quoted(Ascii(names.environment)) + L", default printer: " +
                     (options.setDefaultPrinter ? L"yes." : L"no (/nodefault)."));

    // Windows refuses a printer on a port it does not have; Wine accepts one. Either way a
    // printer on a port that does not exist cannot print, so nothing is installed then.
    std::string port;
    std::vector<std::string> listed;
    if (!FindListedPort(system.ports, options.port, port, listed)) {
        std::wstring names;
        for (const std::string& name : listed)
            names += (names.empty() ? L"" : L", ") + system.widenAnsi(name);
        system.log.Write(L"Port " + Quoted(system.widenAnsi(options.port)) +
                         L" is not a port of this computer (the print spooler lists " +
                         (names.empty() ? std::wstring(L"none") : names) + L"). Nothing was installed.");
        return Finish(system, kExitInstallFailure);
    }

    InstallChoices choices;  // the printer settings page's defaults: model 0, its serial panel on LPT1
    choices.host = system.host;
    choices.port = port;
    choices.setDefaultPrinter = options.setDefaultPrinter;
    LoggingFeedback feedback(system);
    InstallSystem install{system.spooler, system.files, system.registry, feedback};
    const InstallOutcome outcome = RunInstallation(choices, install);

    if (!outcome.succeeded) {
        const std::wstring errorText = outcome.errorCode != 0 ? system.errorText(outcome.errorCode) : std::wstring();
        system.log.Write(L"Failed: " + OneLine(ComposeInstallFailure(outcome, errorText, system.widenAnsi)));
        return Finish(system, kExitInstallFailure);
    }
    system.log.Write(L"Driver " + printer + L" registered for " + Quoted(Ascii(names.environment)) +
                     (outcome.driverExisted ? L" (it was registered already)." : L"."));
    system.log.Write(L"Printer " + printer + (outcome.printerExisted ? L" existed and was put on port " : L" added on port ") +
                     Quoted(system.widenAnsi(port)) + L".");
    if (outcome.registryWriteFailed) {
        // The printer works, but the computer is not as asked; running again repairs it.
        system.log.Write(L"Failed: a registry setting could not be written.");
        return Finish(system, kExitInstallFailure);
    }
    system.log.Write(options.setDefaultPrinter ? L"Default printer: " + printer + L"."
                                               : std::wstring(L"Default printer left as it was."));
    return Finish(system, kExitSuccess);
}

int RunQuietUninstall(QuietSystem& system)
{
    const ModelRecord& model = kModelRecords[0];
    const EnvironmentNames names = EnvironmentFor(system.host);
    system.log.Write(L"Quiet removal of printer " + Quoted(Ascii(model.driverName)) + L" and its driver for " +
                     Quoted(Ascii(names.environment)) + L".");
    const UninstallOutcome outcome =
        RunUninstallation(model.driverName, model.driverName, names.environment, system.removal);
    for (const UninstallStep& step : outcome.steps)
        system.log.Write(DescribeStep(system, step));
    return Finish(system, outcome.complete ? kExitSuccess : kExitInstallFailure);
}
