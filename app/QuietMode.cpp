#include "app/QuietMode.h"

#include <optional>

#include "app/LogText.h"
#include "system/Utf8.h"
#include "install/InstallFailureText.h"
#include "install/Installation.h"
#include "install/ModelCatalogue.h"
#include "install/RegistrySettings.h"
#include "install/ServiceCheckedSpooler.h"
#include "ports/PortEnumeration.h"
#include "ports/ServiceCheckedPortSpooler.h"
#include "system/TextCompare.h"
#include "system/Win32ErrorCodes.h"
#include "system/DecimalText.h"

namespace {

// Every line goes through here: once one is lost, the log ends there rather than go on with
// a gap that a reader could not see.
void Log(QuietSystem& system, const std::wstring& line)
{
    if (!system.logLost && !WriteLogLine(system.log, line))
        system.logLost = true;
}

// The installation's messages go to the log; there is no bar to watch and nobody to wait for.
class LoggingFeedback : public InstallFeedback {
public:
    explicit LoggingFeedback(QuietSystem& system) : m_system(system) {}
    void SetProgress(int) override {}
    void ShowRegistryMessage() override
    {
        ++registryMessages;
        Log(m_system, L"Registry: " + m_system.registryMessage);
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


// "Let Windows manage my default printer", as the installation left it; null: not looked at.
const wchar_t* DefaultPrinterModeText(DefaultPrinterMode mode)
{
    switch (mode) {
    case DefaultPrinterMode::SetToUserManaged:
        return L"LegacyDefaultPrinterMode set to 1, so that Windows keeps this default printer";
    case DefaultPrinterMode::AlreadyUserManaged:
        return L"LegacyDefaultPrinterMode is 1 already: Windows keeps this default printer";
    case DefaultPrinterMode::NotADword:
        return L"LegacyDefaultPrinterMode is not a DWORD and was left as it is: Windows may choose another default "
               L"printer";
    case DefaultPrinterMode::Untouched:
        break;
    }
    return nullptr;
}

int Finish(QuietSystem& system, int exitCode)
{
    Log(system, (exitCode == kExitSuccess ? L"Result: success, exit code " : L"Result: failure, exit code ") +
                    DecimalText(exitCode) + L".");
    // What was done stands; a success whose record was lost says so. A failure keeps its own
    // code, which matters more to the deployment tool.
    if (system.logLost && exitCode == kExitSuccess)
        return kExitLogFailure;
    return exitCode;
}

// Windows' text for an error on one line: some of its texts have several.
std::wstring ErrorText(QuietSystem& system, uint32_t errorCode)
{
    std::wstring text = system.errorText(errorCode);
    for (wchar_t& c : text)
        if (c == L'\r' || c == L'\n')
            c = L' ';
    std::wstring joined;
    for (wchar_t c : text)
        if (!(c == L' ' && (joined.empty() || joined.back() == L' ')))
            joined += c;
    while (!joined.empty() && joined.back() == L' ')
        joined.pop_back();
    return joined;
}

std::wstring ErrorSuffix(QuietSystem& system, uint32_t errorCode)
{
    if (errorCode == 0)
        return std::wstring();
    return L" " + ErrorText(system, errorCode) + L" (error " + DecimalText(errorCode) + L")";
}

std::wstring QuotedList(const std::vector<std::string>& utf8Names)
{
    std::wstring list;
    for (const std::string& name : utf8Names)
        list += (list.empty() ? L"" : L", ") + Quoted(FromUtf8(name));
    return list;
}

const wchar_t* RegistryTypeName(uint32_t type)
{
    switch (type) {
    case 0:
        return L"REG_NONE";
    case 3:
        return L"REG_BINARY";
    case 4:
        return L"REG_DWORD";
    case 5:
        return L"REG_DWORD_BIG_ENDIAN";
    case 6:
        return L"REG_LINK";
    case 7:
        return L"REG_MULTI_SZ";
    case 11:
        return L"REG_QWORD";
    default:
        return nullptr;
    }
}

// LegacyDefaultPrinterMode, which the installation set to 1 on Windows 10 and later.
std::wstring DescribeDefaultPrinterMode(QuietSystem& system, const UninstallStep& step)
{
    const std::wstring what = L"Setting LegacyDefaultPrinterMode";
    switch (step.result) {
    case UninstallResult::Restored:
        return what + (step.subject == kValueWasAbsent ? std::wstring(L": removed again, as it was not there before.")
                                                       : L": put back to " + FromUtf8(step.subject) + L".");
    case UninstallResult::Kept:
        return what + L": changed since the installation (it was " + FromUtf8(step.subject) +
               L" before), left as it is.";
    default:
        break;
    }
    return what + L": could not be put back." + ErrorSuffix(system, step.errorCode);
}

std::wstring DescribeStep(QuietSystem& system, const UninstallStep& step)
{
    if (step.item == UninstallItem::DefaultPrinterMode)
        return DescribeDefaultPrinterMode(system, step);
    const std::wstring subject = Quoted(FromUtf8(step.subject));
    std::wstring what;
    switch (step.item) {
    case UninstallItem::Printer:
        what = L"Printer " + subject;
        break;
    case UninstallItem::Driver:
        what = L"Driver " + subject;
        break;
    case UninstallItem::DefaultPrinterMode:
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
    case UninstallResult::NotString: {
        const wchar_t* type = RegistryTypeName(step.valueType);
        return what + L" is not a string (" +
               (type ? std::wstring(type) : L"type " + DecimalText(step.valueType)) +
               L") and names no printer: left as it is.";
    }
    case UninstallResult::InUse:
        if (!step.users.empty())
            return what + L": left installed, " + (step.users.size() == 1 ? L"printer " : L"printers ") +
                   QuotedList(step.users) + (step.users.size() == 1 ? L" uses it." : L" use it.");
        return what + L": left installed, the print spooler reports it in use." + ErrorSuffix(system, step.errorCode);
    case UninstallResult::Restored:
    case UninstallResult::Failed:
        break;
    }
    return what + L": could not be removed." + ErrorSuffix(system, step.errorCode);
}

// A sealed program holds and checks the package files before anything changes (a /tcp port
// included); the installation checks them again as it copies. An unsealed one says once that
// it checks nothing. A missing file is left to the installation, which names every one.
bool PackageMatchesSeal(QuietSystem& system, const EnvironmentNames& names)
{
    if (system.seal == nullptr || system.seal->state == SealState::Unsealed) {
        Log(system, L"This program is not sealed (a developer build): the package files are not checked against "
                    L"the files of a release.");
        return true;
    }
    if (system.seal->state == SealState::Sealed)
        Log(system, L"The package files are checked against this program's seal (release " +
                        FromUtf8(system.seal->release) + L", " + DecimalText(system.seal->files.size()) +
                        L" files).");
    std::vector<std::string> paths;
    for (const PackageFile& file : PackageFilesFor(names))
        paths.push_back(file.source);
    const InstallOutcome refused = CheckPackageAgainstSeal(*system.seal, system.files, paths);
    if (refused.failedStep == InstallStep::None ||
        (refused.failedStep == InstallStep::ReadPackage &&
         (refused.errorCode == kErrorFileNotFound || refused.errorCode == kErrorPathNotFound)))
        return true;
    const std::wstring errorText = refused.errorCode != 0 ? ErrorText(system, refused.errorCode) : std::wstring();
    auto name = [&system](const std::string& ansi) { return EscapeControls(system.widenAnsi(ansi)); };
    Log(system, L"Failed: " + OneLine(ComposeInstallFailure(refused, errorText, name)));
    return false;
}

// The optional files left out (one line per reason) and each file Windows kept.
void LogDriverFileChoices(QuietSystem& system, const InstallOutcome& outcome)
{
    for (bool notSealed : {false, true}) {
        std::wstring names;
        for (const LeftOutFile& file : outcome.leftOutFiles)
            if (file.notSealed == notSealed)
                names += (names.empty() ? L"" : L", ") + system.widenAnsi(file.name);
        if (!names.empty())
            Log(system, names + (notSealed ? L": not among the files this program was released with"
                                           : L": not in the package's driver folder") +
                            L", so not copied and not named in the driver record.");
    }
    for (const DifferingDriverFile& file : outcome.keptFiles)
        Log(system, KeptFileText(file));
}

// The Print Spooler service as an unattended run deals with it: asked about when a spooler
// call fails, started without asking when it is stopped and not disabled (nobody is there to
// agree, and the deployment asked for a printer), and said in the log once it was started.
class QuietSpoolerService {
public:
    explicit QuietSpoolerService(QuietSystem& system)
        : m_system(system),
          guard(system.spoolerService, [&system] {
              Log(system, L"The Print Spooler service is stopped: starting it.");
              return true;
          })
    {
    }
    // Writes the start to the log, once, when it happened since the last look.
    void LogStart()
    {
        if (m_logged)
            return;
        m_logged = true;
        if (guard.Check().finding == SpoolerFinding::Started)
            Log(m_system, kSpoolerStartedText);
        else if (guard.Check().finding == SpoolerFinding::WasStarting)
            Log(m_system, kSpoolerWasStartingText);
        else
            m_logged = false;
    }
    std::wstring ErrorText() const;

private:
    QuietSystem& m_system;
    bool m_logged = false;

public:
    SpoolerServiceGuard guard;
};

// The /tcp port's monitor call, service-checked as the spooler's other calls are.
class ServiceCheckedXcv : public IXcvPorts {
public:
    ServiceCheckedXcv(IXcvPorts& xcv, SpoolerServiceGuard& guard) : m_xcv(xcv), m_guard(guard) {}
    XcvAddPortResult AddPort(const std::string& monitorName, const std::vector<uint8_t>& input) override
    {
        XcvAddPortResult result = m_xcv.AddPort(monitorName, input);
        if (result.error != 0 && result.error != kErrorAlreadyExists && m_guard.ShouldRepeat(result.error))
            result = m_xcv.AddPort(monitorName, input);
        return result;
    }

private:
    IXcvPorts& m_xcv;
    SpoolerServiceGuard& m_guard;
};

std::wstring QuietSpoolerService::ErrorText() const
{
    const uint32_t code = guard.Check().errorCode;
    return code != 0 ? ::ErrorText(m_system, code) : std::wstring();
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
                    std::vector<std::string>& listed, SpoolerResult* listing)
{
    EnumeratedRecords records(
        [&ports](uint8_t* buffer, uint32_t size, uint32_t& needed, uint32_t& returned) {
            return ports.EnumeratePorts(2, buffer, size, needed, returned);
        },
        sizeof(PortInfo2Record));
    if (listing != nullptr)
        *listing = records.Result();
    bool matched = false;
    for (uint32_t i = 0; i < records.Count(); ++i) {
        const PortInfo2Record& record = records.At<PortInfo2Record>(i);
        const std::string name = records.Text(record.pPortName);
        // A name the code page cannot hold is listed in a lossy form that names no port.
        if (name.empty() || record.pUnicodeName != nullptr)
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
    const std::string wanted = options.tcp ? TcpPortName(options.tcpAddress) : options.port;
    const std::wstring wantedPort = Quoted(FromUtf8(wanted));
    Log(system, L"Quiet install of printer " + printer + L" on port " + wantedPort + L", environment " +
                    Quoted(Ascii(names.environment)) + L", default printer: " +
                    (options.setDefaultPrinter ? L"yes." : L"no (/nodefault)."));
    if (system.logLost)
        return kExitLogFailure;  // no record from the start: as a log that cannot be opened, change nothing
    if (!PackageMatchesSeal(system, names))
        return Finish(system, kExitInstallFailure);

    // The spooler's calls are ANSI. A name that the code page cannot hold would reach them
    // with "?" in its place and could match a port listed just as garbled; the printer would
    // then go on a port that is not the one asked for.
    std::string ansiPort;
    if (!system.toAnsi(wanted, ansiPort)) {
        Log(system, L"Port " + wantedPort +
                        L" cannot be used: its name has characters that the system's code page (for the print "
                        L"spooler's ANSI calls) cannot hold. Nothing was installed.");
        return Finish(system, kExitInstallFailure);
    }

    // Windows refuses a printer on a port it does not have; Wine accepts one. Either way a
    // printer on a port that does not exist cannot print, so nothing is installed then.
    QuietSpoolerService service(system);
    if (options.tcp) {
        IXcvPorts* const xcv = system.xcv;
        std::optional<ServiceCheckedXcv> checkedXcv;
        if (xcv != nullptr)
            system.xcv = &checkedXcv.emplace(*xcv, service.guard);
        const bool prepared = PrepareTcpPort(options, system);
        system.xcv = xcv;
        service.LogStart();
        if (!prepared) {
            const std::wstring problem = SpoolerServiceText(service.guard.Check(), service.ErrorText());
            if (!problem.empty())
                Log(system, L"Failed: " + problem + L" Nothing was installed.");
            return Finish(system, kExitInstallFailure);
        }
    }
    ServiceCheckedPortSpooler ports(system.ports, service.guard);
    std::string port;
    std::vector<std::string> listed;
    SpoolerResult listing;
    const bool portListed = FindListedPort(ports, ansiPort, port, listed, &listing);
    service.LogStart();
    if (!listing.succeeded) {
        Log(system, L"Failed: " +
                        SpoolerFailureText(service.guard.Check(), service.ErrorText(),
                                           L"The print spooler could not list this computer's ports", listing.errorCode,
                                           ErrorText(system, listing.errorCode)) +
                        L" Nothing was installed.");
        return Finish(system, kExitInstallFailure);
    }
    if (!portListed) {
        std::wstring list;
        for (const std::string& name : listed)
            list += (list.empty() ? L"" : L", ") + system.widenAnsi(name);
        Log(system, L"Port " + wantedPort + L" is not a port of this computer (the print spooler lists " +
                        (list.empty() ? std::wstring(L"none") : list) + L"). Nothing was installed.");
        return Finish(system, kExitInstallFailure);
    }

    InstallChoices choices;  // the printer settings page's defaults: model 0, its serial panel on LPT1
    choices.host = system.host;
    choices.port = port;
    choices.setDefaultPrinter = options.setDefaultPrinter;
    if (choices.setDefaultPrinter)
        ChooseDefaultPrinterUser(system, choices);
    LoggingFeedback feedback(system);
    ServiceCheckedDriverSpooler spooler(system.spooler, service.guard);
    InstallSystem install{spooler, system.files, system.registry, feedback, system.policies, system.elevated,
                          system.seal};
    InstallOutcome outcome = RunInstallation(choices, install);
    outcome.spoolerService = service.guard.Check();
    service.LogStart();

    if (!outcome.succeeded) {
        const std::wstring errorText = outcome.errorCode != 0 ? ErrorText(system, outcome.errorCode) : std::wstring();
        // Names escaped before the message is joined into one line: a line break inside a
        // name must not read as the message's own.
        auto name = [&system](const std::string& ansi) { return EscapeControls(system.widenAnsi(ansi)); };
        Log(system, L"Failed: " + OneLine(LeadWithSpoolerService(outcome.spoolerService, service.ErrorText(),
                                                                 ComposeInstallFailure(outcome, errorText, name))));
        return Finish(system, kExitInstallFailure);
    }
    Log(system, L"Driver " + printer + L" registered for " + Quoted(Ascii(names.environment)) +
                    (outcome.driverExisted ? L" (it was registered already)." : L"."));
    LogDriverFileChoices(system, outcome);
    Log(system, outcome.keptFiles.empty()
                    ? L"Installed driver files verified: each one the spooler registered is the package's copy."
                    : L"Installed driver files verified: each one the spooler registered is the package's copy, or "
                      L"one that Windows chose to keep.");
    Log(system, L"Printer " + printer + (outcome.printerExisted ? L" existed and was put on port " : L" added on port ") +
                    Quoted(system.widenAnsi(port)) +
                    (outcome.spoolerService.printerAddedBeforeRestart
                         ? L" (by the call made before the Print Spooler service stopped: its repeat found it there)."
                         : L"."));
    if (outcome.registryWriteFailed) {
        // The printer works, but the computer is not as asked; running again repairs it.
        Log(system, L"Failed: a registry setting could not be written.");
        return Finish(system, kExitInstallFailure);
    }
    Log(system, choices.setDefaultPrinter ? L"Default printer: " + printer + L"."
                                          : std::wstring(L"Default printer left as it was."));
    if (const wchar_t* mode = DefaultPrinterModeText(outcome.defaultPrinterMode))
        Log(system, mode + (outcome.defaultPrinterMode == DefaultPrinterMode::SetToUserManaged
                                ? L" (it was " + Ascii(outcome.legacyModeBefore.c_str()) + L"; /uninstall puts it back)."
                                : std::wstring(L".")));
    return Finish(system, kExitSuccess);
}

int RunQuietUninstall(QuietSystem& system)
{
    const ModelRecord& model = kModelRecords[0];
    const EnvironmentNames names = EnvironmentFor(system.host);
    Log(system, L"Quiet removal of printer " + Quoted(Ascii(model.driverName)) + L" and its driver for " +
                    Quoted(Ascii(names.environment)) + L".");
    if (system.logLost)
        return kExitLogFailure;
    const DefaultPrinterTarget defaultPrinter = DefaultPrinterTargetFor(system, DefaultPrinterUse::Remove);
    QuietSpoolerService service(system);
    ServiceCheckedUninstallSystem removal(system.removal, service.guard);
    const UninstallOutcome outcome =
        RunUninstallation(model.driverName, model.driverName, names.environment, removal, defaultPrinter);
    service.LogStart();
    const std::wstring problem = SpoolerServiceText(service.guard.Check(), service.ErrorText());
    if (!problem.empty())
        Log(system, L"Failed: " + problem);
    for (const UninstallStep& step : outcome.steps) {
        Log(system, DescribeStep(system, step));
        // As when it was set: running programs learn that the default printer is gone.
        if ((step.item == UninstallItem::DefaultPrinterValue && step.result == UninstallResult::Removed) ||
            (step.item == UninstallItem::DefaultPrinterMode && step.result == UninstallResult::Restored))
            system.registry.AnnounceSettingChange("windows");
    }
    return Finish(system, outcome.complete ? kExitSuccess : kExitInstallFailure);
}

bool WriteLogLine(QuietLog& log, const std::wstring& line)
{
    return log.Write(EscapeControls(line));
}

bool PrepareTcpPort(const CommandLineOptions& options, QuietSystem& system)
{
    const std::wstring name = Quoted(FromUtf8(TcpPortName(options.tcpAddress)));
    const std::wstring monitor = Quoted(Ascii(kTcpMonitorName));
    const std::wstring target = FromUtf8(options.tcpAddress.host) + L" port " +
                                DecimalText(options.tcpAddress.portNumber) + L" (RAW)";
    auto error = [&system](uint32_t code) { return ErrorText(system, code) + L" (error " + DecimalText(code) + L")"; };
    if (system.xcv == nullptr) {
        Log(system, L"The " + monitor + L" port monitor cannot be reached. Nothing was installed.");
        return false;
    }
    const XcvAddPortResult result =
        system.xcv->AddPort(kTcpMonitorName, PortData1Record(TcpPortName(options.tcpAddress), options.tcpAddress));
    if (!result.monitorOpened) {
        Log(system, L"The " + monitor + L" port monitor is not available on this computer: " + error(result.error) +
                        L". Nothing was installed.");
        return false;
    }
    if (result.error == kErrorAlreadyExists) {
        // An earlier run's port, or the administrator's own of that name: the printer goes there.
        Log(system, L"Port " + name + L" exists already and is used as it is.");
        return true;
    }
    if (result.error != 0) {
        Log(system, L"Port " + name + L" to " + target + L" could not be created: " + error(result.error) +
                        L". Nothing was installed.");
        return false;
    }
    Log(system, L"Port " + name + L" created by " + monitor + L" for " + target + L".");
    return true;
}

DefaultPrinterTarget DefaultPrinterTargetFor(QuietSystem& system, DefaultPrinterUse use)
{
    if (system.accounts == nullptr)
        return DefaultPrinterTarget();
    const DefaultPrinterTarget target = ChooseDefaultPrinterTarget(*system.accounts);
    const bool setting = use == DefaultPrinterUse::Set;
    switch (target.hive) {
    case DefaultPrinterHive::CurrentUser:
        break;
    case DefaultPrinterHive::DesktopUser:
        Log(system, std::wstring(setting ? L"The default printer is set" : L"The default printer value is looked at") +
                        L" for the user at the desktop (" + FromUtf8(target.sid) + L"), who is not the account this runs as.");
        break;
    case DefaultPrinterHive::NobodyLoggedOn:
        Log(system, setting ? L"No one is logged on at the desktop: no user's default printer is set."
                            : L"No one is logged on at the desktop: no user's default printer is looked at.");
        break;
    }
    return target;
}

void ChooseDefaultPrinterUser(QuietSystem& system, InstallChoices& choices)
{
    const DefaultPrinterTarget target = DefaultPrinterTargetFor(system, DefaultPrinterUse::Set);
    if (target.hive == DefaultPrinterHive::DesktopUser)
        choices.defaultPrinterUser = target.sid;
    else if (target.hive == DefaultPrinterHive::NobodyLoggedOn)
        choices.setDefaultPrinter = false;
}
