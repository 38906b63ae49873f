#include "app/HealthCheck.h"

#include "install/DriverReadBack.h"
#include "install/InstallFailureText.h"
#include "install/Installation.h"
#include "install/ModelCatalogue.h"
#include "install/RegistrySettings.h"
#include "ports/PortEnumeration.h"
#include "system/TextCompare.h"
#include "system/Utf8.h"
#include "system/Win32ErrorCodes.h"
#include "system/DecimalText.h"

namespace {

// What a read found of something installed: there, not there, or not known (the read failed).
enum class Presence { Present, Absent, Unknown };

const wchar_t kProblem[] = L"Problem: ";
const wchar_t kRunSetupAgain[] = L"run the setup again from the driver package's folder.";

struct Check {
    CheckSystem& system;
    CheckReport report;
    int unknown = 0;  // things that could not be read

    void Line(const std::wstring& text) { report.lines.push_back(text); }
    void Problem(const std::wstring& text)
    {
        ++report.problems;
        Line(kProblem + text);
    }
    void Unreadable(const std::wstring& what, uint32_t error)
    {
        ++unknown;
        Line(what + L" could not be read: " + system.errorText(error) + L" (error " + DecimalText(error) + L").");
    }
    std::wstring Ansi(const std::string& text) const { return system.widenAnsi(text); }
};

std::wstring Quoted(const std::wstring& text)
{
    return L"\"" + text + L"\"";
}

std::wstring Ascii(const char* text)
{
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

std::wstring List(Check& check, const std::vector<std::string>& names)
{
    std::wstring list;
    for (const std::string& name : names)
        list += (list.empty() ? L"" : L", ") + Quoted(check.Ansi(name));
    return list;
}

void DescribeSystem(Check& check, const EnvironmentNames& names)
{
    const CheckSystem& system = check.system;
    const WindowsVersion& os = system.policies.version;
    check.Line(L"Check of printer " + Quoted(Ascii(kModelRecords[0].driverName)) + L" and its driver; nothing is changed.");
    check.Line(L"Windows " + DecimalText(os.major) + L"." + DecimalText(os.minor) + L" build " +
               DecimalText(os.build) + L", environment " + Quoted(Ascii(names.environment)) + L", PrinterSetup " +
               (system.programVersion.empty() ? std::wstring(L"(version unknown)") : FromUtf8(system.programVersion)) +
               L", checked at " + FromUtf8(system.time) + L".");
}

void CheckSpoolerService(Check& check)
{
    const SpoolerServiceFacts& service = check.system.service;
    if (service.error != 0) {
        check.Unreadable(L"Print Spooler service: its state", service.error);
        return;
    }
    if (service.startType == kServiceDisabled) {
        check.Problem(L"The Print Spooler service is disabled: nothing can print. Open Services (services.msc), set "
                      L"\"Print Spooler\" to Automatic and start it.");
        return;
    }
    if (!service.running)
        check.Problem(L"The Print Spooler service is not running: nothing prints until it runs. Open Services "
                      L"(services.msc) and start \"Print Spooler\".");
    if (service.startType != kServiceAutoStart)
        check.Problem(L"The Print Spooler service does not start automatically: printing stops at the next restart. "
                      L"Open Services (services.msc) and set \"Print Spooler\" to Automatic.");
    if (service.running && service.startType == kServiceAutoStart)
        check.Line(L"Print Spooler service: ok, running, starts automatically.");
}

// The package's files when this program runs from its folder: every required one readable and,
// for a sealed program, each the release's. Otherwise none: the installed files are checked
// for presence only.
bool PackageAtHand(Check& check, const EnvironmentNames& names, std::vector<PackageFile>& package)
{
    CheckSystem& system = check.system;
    std::vector<std::string> paths;
    for (const PackageFile& file : PackageFilesFor(names)) {
        uint64_t size = 0;
        if (system.files.CheckReadable(file.source, size) != 0) {
            check.Line(L"Package: not in the current folder, so the installed files are checked for presence only.");
            return false;
        }
        package.push_back(file);
        paths.push_back(file.source);
    }
    const bool sealed = system.seal != nullptr && system.seal->state != SealState::Unsealed;
    for (const PackageFile& file : OptionalPackageFilesFor(names)) {
        uint64_t size = 0;
        if (system.files.CheckReadable(file.source, size) == 0 && (!sealed || system.seal->Find(file.source))) {
            package.push_back(file);
            paths.push_back(file.source);
        }
    }
    if (!sealed) {
        check.Line(L"Package: the installed files are compared with the package in the current folder.");
        return true;
    }
    const InstallOutcome refused = CheckPackageAgainstSeal(*system.seal, system.files, paths);
    system.files.ReleaseHeldFiles();
    if (refused.failedStep == InstallStep::None) {
        check.Line(L"Package: the installed files are compared with this program's seal (release " +
                   FromUtf8(system.seal->release) + L").");
        return true;
    }
    check.Line(L"Package: the package in the current folder is not the one this program was released with (" +
               (refused.sealProblem == SealProblem::SealDamaged ? std::wstring(L"its seal is damaged")
                                                                : Quoted(check.Ansi(refused.subject))) +
               L"), so the installed files are checked for presence only.");
    package.clear();
    return false;
}

std::vector<std::string> RegisteredPaths(const InstalledDriverFiles& registered)
{
    std::vector<std::string> paths;
    for (const std::string& path : {registered.driverPath, registered.dataFile, registered.configFile,
                                    registered.helpFile})
        if (!path.empty())
            paths.push_back(path);
    paths.insert(paths.end(), registered.dependentFiles.begin(), registered.dependentFiles.end());
    return paths;
}

// The first file the read-back finds that is not the package's (or one Windows chose to keep).
void CompareWithPackage(Check& check, const EnvironmentNames& names, const std::vector<PackageFile>& package)
{
    CheckSystem& system = check.system;
    const InstallOutcome verified =
        VerifyInstalledDriver(system.spooler, system.files, kModelRecords[0].driverName, names.environment, package,
                              system.seal, system.policies.version);
    for (const DifferingDriverFile& kept : verified.keptFiles)
        check.Line(KeptFileText(kept) + L".");
    const std::wstring file = Quoted(check.Ansi(verified.subject));
    switch (verified.fileProblem) {
    case InstalledFileProblem::None:
        check.Line(L"Driver files: ok, each the package's" +
                   std::wstring(verified.keptFiles.empty() ? L"." : L" or one Windows chose to keep."));
        return;
    case InstalledFileProblem::NotRegistered:
        check.Problem(L"The driver's record does not name the package's file " + file + L": " + kRunSetupAgain);
        return;
    case InstalledFileProblem::SizeDiffers:
    case InstalledFileProblem::ContentDiffers:
        check.Problem(L"The driver file " + file + L" is not the package's: " +
                      (verified.olderFile.name.empty() ? std::wstring(L"it is not the file this program was released with.")
                                                       : OlderCopyText(verified.olderFile)) +
                      L" Close all programs that print, or restart the computer, then " + kRunSetupAgain);
        return;
    case InstalledFileProblem::DriverNotReported:
    case InstalledFileProblem::Missing:
    case InstalledFileProblem::Unreadable:
        break;
    }
    check.Unreadable(L"Driver file " + file, verified.errorCode != 0 ? verified.errorCode : kErrorGenFailure);
}

Presence CheckDriver(Check& check, const EnvironmentNames& names)
{
    CheckSystem& system = check.system;
    const std::wstring driver = Quoted(Ascii(kModelRecords[0].driverName));
    InstalledDriverFiles registered;
    const uint32_t error = system.spooler.GetInstalledDriver(kModelRecords[0].driverName, names.environment, registered);
    if (error == kErrorUnknownPrinterDriver) {
        check.Line(L"Driver " + driver + L": not registered for " + Quoted(Ascii(names.environment)) + L".");
        return Presence::Absent;
    }
    if (error != 0) {
        check.Unreadable(L"Driver " + driver, error);
        return Presence::Unknown;
    }
    std::vector<std::string> missing;
    const std::vector<std::string> paths = RegisteredPaths(registered);
    for (const std::string& path : paths) {
        uint64_t size = 0;
        const uint32_t readable = system.files.CheckReadable(path, size);
        // A file the spooler holds open is there all the same.
        if (readable == kErrorFileNotFound || readable == kErrorPathNotFound)
            missing.push_back(FileNameOf(path));
    }
    const std::string folder = paths.empty() ? std::string() : paths[0].substr(0, paths[0].size() - FileNameOf(paths[0]).size());
    if (!missing.empty()) {
        check.Problem(std::wstring(missing.size() == 1 ? L"The driver file " : L"The driver files ") +
                      List(check, missing) + L" named by the driver " + driver + L" " +
                      (missing.size() == 1 ? L"is" : L"are") + L" missing from " + Quoted(check.Ansi(folder)) +
                      L": " + kRunSetupAgain);
        return Presence::Present;
    }
    check.Line(L"Driver " + driver + L": ok, registered for " + Quoted(Ascii(names.environment)) + L", its " +
               DecimalText(paths.size()) + L" files present in " + Quoted(check.Ansi(folder)) + L".");
    std::vector<PackageFile> package;
    if (PackageAtHand(check, names, package))
        CompareWithPackage(check, names, package);
    return Presence::Present;
}

// The port's type as the spooler describes it ("Local Port", "Standard TCP/IP Port"); false
// when the spooler does not list the port.
bool ListedPortType(Check& check, const std::string& port, std::wstring& type, SpoolerResult& listing)
{
    IPortSpooler& ports = check.system.ports;
    EnumeratedRecords records(
        [&ports](uint8_t* buffer, uint32_t size, uint32_t& needed, uint32_t& returned) {
            return ports.EnumeratePorts(2, buffer, size, needed, returned);
        },
        sizeof(PortInfo2Record));
    listing = records.Result();
    for (uint32_t i = 0; i < records.Count(); ++i) {
        const PortInfo2Record& record = records.At<PortInfo2Record>(i);
        if (record.pUnicodeName == nullptr && SameTextIgnoringCase(records.Text(record.pPortName), port)) {
            std::string description = records.Text(record.pDescription);
            type = check.Ansi(description.empty() ? records.Text(record.pMonitorName) : description);
            return true;
        }
    }
    return false;
}

void CheckPorts(Check& check, const PrinterState& state, std::wstring& ports)
{
    if (state.portName.empty()) {
        check.Problem(L"The printer has no port: run the setup again and choose a port.");
        return;
    }
    // A pooled printer names several ports, separated by commas.
    size_t at = 0;
    while (at <= state.portName.size()) {
        size_t end = state.portName.find(',', at);
        if (end == std::string::npos)
            end = state.portName.size();
        const std::string port = state.portName.substr(at, end - at);
        at = end + 1;
        if (port.empty())
            continue;
        std::wstring type;
        SpoolerResult listing;
        if (ListedPortType(check, port, type, listing))
            ports += (ports.empty() ? L"" : L", ") + Quoted(check.Ansi(port)) + (type.empty() ? L"" : L" (" + type + L")");
        else if (!listing.succeeded)
            check.Unreadable(L"The port list", listing.errorCode);
        else
            check.Problem(L"The printer's port " + check.Ansi(port) +
                          L" no longer exists: run the setup again and choose a port.");
    }
}

struct StatusBit {
    uint32_t bit;
    const wchar_t* name;
};

// PRINTER_INFO_2's Status bits that say the printer cannot print now ("PRINTER_INFO_2
// structure"); the others (busy, printing, warming up, ...) are moments of normal work.
const StatusBit kStoppingStatus[] = {
    {0x2, L"error"},           {0x8, L"paper jam"},        {0x10, L"paper out"},
    {0x40, L"paper problem"},  {0x80, L"offline"},         {0x800, L"output bin full"},
    {0x1000, L"not available"}, {0x40000, L"no toner"},    {0x100000, L"needs user intervention"},
    {0x200000, L"out of memory"}, {0x400000, L"door open"},
};

void CheckPrinterStatus(Check& check, const PrinterState& state)
{
    if (state.status & kPrinterStatusPaused)
        check.Problem(L"The printer is paused: open its queue (Devices and Printers, See what's printing) and clear "
                      L"Printer > Pause Printing.");
    if (state.attributes & kPrinterAttributeWorkOffline)
        check.Problem(L"The printer is set to work offline: open its queue (Devices and Printers, See what's "
                      L"printing) and clear Printer > Use Printer Offline.");
    std::wstring reported;
    for (const StatusBit& bit : kStoppingStatus)
        if (state.status & bit.bit)
            reported += (reported.empty() ? L"" : L", ") + std::wstring(bit.name);
    if (!reported.empty())
        check.Problem(L"The printer reports: " + reported +
                      L". Check the printer itself (power, cable, paper, cover), then open its queue.");
    if (!state.errorJob.empty() || state.errorJobStatus != 0)
        check.Problem(L"The print job " + Quoted(FromUtf8(state.errorJob)) +
                      L" has an error and holds up the jobs after it: open the printer's queue and restart or "
                      L"cancel it.");
}

// The COM port's line settings under the machine's Ports key, for the technician to compare
// with the printer's own (information only: Windows has defaults of its own).
void DescribeSerialSettings(Check& check, const std::string& port)
{
    if (port.size() < 5 || !SameTextIgnoringCase(port.substr(0, 3), "COM") || port.back() != ':' ||
        port.find(',') != std::string::npos)
        return;
    RegistryString value;
    const uint32_t error = check.system.registry.ReadStringValue(RegistryRoot::LocalMachine, kPortsKeyPath, port, value);
    if (error == 0 && (value.type == kRegistryString || value.type == kRegistryExpandString))
        check.Line(L"COM port " + check.Ansi(port) + L" settings: " + FromUtf8(value.text) +
                   L" (baud, parity, data bits, stop bits, flow control).");
    else
        check.Line(L"COM port " + check.Ansi(port) + L": no settings stored, Windows' defaults apply.");
}

Presence CheckPrinter(Check& check, Presence driver)
{
    CheckSystem& system = check.system;
    const ModelRecord& model = kModelRecords[0];
    const std::wstring printer = Quoted(Ascii(model.driverName));
    PrinterState state;
    const uint32_t error = system.printers.ReadPrinter(model.driverName, state);
    if (error == kErrorInvalidPrinterName) {
        if (driver == Presence::Present)
            check.Problem(L"The printer " + printer + L" is not installed, although its driver is: " + kRunSetupAgain);
        else
            check.Line(L"Printer " + printer + L": not installed.");
        return Presence::Absent;
    }
    if (error != 0) {
        check.Unreadable(L"Printer " + printer, error);
        return Presence::Unknown;
    }
    const int problemsBefore = check.report.problems;
    if (!SameTextIgnoringCase(state.driverName, model.driverName))
        check.Problem(L"The printer " + printer + L" uses the driver " + Quoted(check.Ansi(state.driverName)) +
                      L", not " + Quoted(Ascii(model.driverName)) + L": " + kRunSetupAgain);
    else if (driver == Presence::Absent)
        check.Problem(L"The printer " + printer + L" is installed, but its driver is not registered for this "
                      L"Windows, so nothing can print to it: " + kRunSetupAgain);
    std::wstring ports;
    CheckPorts(check, state, ports);
    CheckPrinterStatus(check, state);
    const std::wstring jobs = state.jobs == 0 ? std::wstring(L"no jobs waiting")
                                              : DecimalText(state.jobs) + (state.jobs == 1 ? L" job waiting" : L" jobs waiting");
    if (check.report.problems == problemsBefore)
        check.Line(L"Printer " + printer + L": ok, on port " + ports + L", " + jobs + L".");
    else
        check.Line(L"Printer " + printer + L": " + jobs + L".");
    DescribeSerialSettings(check, state.portName);
    return Presence::Present;
}

// Whether the printer is the default printer of the person at the desktop: information, since
// a shop may print receipts to a printer that is not the default.
void DescribeDefaultPrinter(Check& check)
{
    const DefaultPrinterTarget& target = check.system.defaultPrinter;
    if (target.hive == DefaultPrinterHive::NobodyLoggedOn) {
        check.Line(L"Default printer: not looked at, no one is logged on at the desktop.");
        return;
    }
    RegistryRoot root;
    std::string path;
    UserHiveKey(target.sid, kWindowsKeyPath, root, path);
    RegistryString device;
    const uint32_t error = check.system.registry.ReadStringValue(root, path, "Device", device);
    const std::string printer = kModelRecords[0].driverName;
    if (error == 0 && DeviceValueNamesPrinter(device.text, printer))
        check.Line(L"Default printer: yes, " + Quoted(Ascii(printer.c_str())) + L" is the default printer.");
    else if (error == 0 && !device.text.empty())
        check.Line(L"Default printer: no, it is " + Quoted(FromUtf8(device.text.substr(0, device.text.find(',')))) +
                   L" (information, not a problem).");
    else
        check.Line(L"Default printer: none is set (information, not a problem).");
}

void CheckPolicies(Check& check)
{
    const PrintPolicies& policies = check.system.policies;
    if (policies.protectedPrint != ProtectedPrint::Off)
        check.Problem(L"Windows protected print mode is on: Windows prints only with its own drivers and does not "
                      L"load this one. Turn it off (Settings > Bluetooth & devices > Printers & scanners, or the "
                      L"group policy \"Configure Windows protected print\").");
    else
        check.Line(L"Print policies: ok, Windows protected print mode is off" +
                   std::wstring(policies.driver.AnySet()
                                    ? L"; driver installation policies are set (Printers\\Driver), which decide what "
                                      L"may be installed, not whether this driver loads."
                                    : L"."));
}

CheckResult Conclude(const Check& check, Presence driver, Presence printer)
{
    if (driver == Presence::Absent && printer == Presence::Absent)
        return CheckResult::NotInstalled;
    if (check.report.problems > 0)
        return CheckResult::NeedsRepair;
    if (check.unknown > 0)
        return CheckResult::CouldNotRun;
    return CheckResult::Ready;
}

const wchar_t* ResultText(CheckResult result)
{
    switch (result) {
    case CheckResult::Ready:
        return L"ready";
    case CheckResult::NotInstalled:
        return L"not installed";
    case CheckResult::NeedsRepair:
        return L"needs repair";
    case CheckResult::CouldNotRun:
        break;
    }
    return L"the check could not read everything";
}

}  // namespace

CheckReport RunHealthCheck(CheckSystem& system)
{
    Check check{system, CheckReport()};
    const EnvironmentNames names = EnvironmentFor(system.host);
    DescribeSystem(check, names);
    CheckSpoolerService(check);
    const Presence driver = CheckDriver(check, names);
    const Presence printer = CheckPrinter(check, driver);
    DescribeDefaultPrinter(check);
    CheckPolicies(check);
    check.report.result = Conclude(check, driver, printer);
    check.Line(L"Result: " + std::wstring(ResultText(check.report.result)) +
               (check.report.problems > 0 ? L" (" + DecimalText(check.report.problems) +
                                                (check.report.problems == 1 ? L" problem)" : L" problems)")
                                          : std::wstring()) +
               L", exit code " + DecimalText(CheckExitCode(check.report.result)) + L".");
    return check.report;
}

int CheckExitCode(CheckResult result)
{
    switch (result) {
    case CheckResult::Ready:
        return 0;
    case CheckResult::NotInstalled:
        return kExitCheckNotInstalled;
    case CheckResult::NeedsRepair:
        return kExitCheckNeedsRepair;
    case CheckResult::CouldNotRun:
        break;
    }
    return kExitCheckCouldNotRun;
}
