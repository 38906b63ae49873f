// /check against the fakes: an installation made by the real installation code, then broken
// one way (or several) at a time; each state's findings, in the user's words, and exit code.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "FakeInstallSystem.h"
#include "FakePortSpooler.h"
#include "UninstallFake.h"
#include "app/CommandLine.h"
#include "app/HealthCheck.h"
#include "system/Utf8.h"

namespace {

class FakePrinters : public PrinterStateReader {
public:
    bool present = true;
    uint32_t error = 0;
    PrinterState state;
    uint32_t ReadPrinter(const std::string& name, PrinterState& read) override
    {
        if (error != 0)
            return error;
        if (!present || name != "VELM58KD")
            return kErrorInvalidPrinterName;
        read = state;
        return 0;
    }
};

class HealthCheck : public testing::Test {
public:
    HealthCheck()
    {
        policies.version = {10, 0, 19045};
        files.windows = policies.version;
        ports.ports = {{std::string("LPT1:"), std::string("Local Port")}, {std::string("COM3:"), std::string("Local Port")}};
        printers.state.portName = "COM3:";
        printers.state.driverName = "VELM58KD";
        registry.portSettings["COM3:"] = "9600,n,8,1,x";
        registry.device = std::string("VELM58KD,winspool,COM3:");
    }
    void Install()
    {
        InstallChoices choices;
        choices.host = HostArchitecture::X64;
        choices.port = "COM3:";
        InstallSystem system = files.System();
        ASSERT_TRUE(RunInstallation(choices, system).succeeded);
        files.log.clear();
    }
    void RemoveEverything()
    {
        files.driverInstalled = false;
        printers.present = false;
    }
    CheckReport Run()
    {
        CheckSystem system{files, files, ports, printers, registry, HostArchitecture::X64, policies};
        system.service = service;
        system.seal = seal ? &*seal : nullptr;
        system.programVersion = "4.0.0.0";
        system.time = "2024-05-06 07:08:09";
        system.widenAnsi = [](const std::string& text) { return FromUtf8(text); };
        system.errorText = [](uint32_t code) { return L"Error text " + std::to_wstring(code); };
        return RunHealthCheck(system);
    }
    static std::string Text(const CheckReport& report)
    {
        std::string text;
        for (const std::wstring& line : report.lines)
            text += Narrow(line) + "\n";
        return text;
    }
    static std::string Narrow(const std::wstring& text)
    {
        std::string narrow;
        for (wchar_t c : text)
            narrow += c < 0x80 ? static_cast<char>(c) : '?';
        return narrow;
    }

    FakeInstallSystem files;
    FakePortSpooler ports;
    FakePrinters printers;
    FakeUninstallSystem registry;
    PrintPolicies policies;
    SpoolerServiceFacts service{0, true, kServiceAutoStart};
    std::optional<PackageSeal> seal;
};

TEST_F(HealthCheck, AHealthyInstallationIsReadyAndEachThingLookedAtSaysOk)
{
    Install();
    const CheckReport report = Run();
    const std::string text = Text(report);
    EXPECT_EQ(CheckResult::Ready, report.result) << text;
    EXPECT_EQ(0, CheckExitCode(report.result));
    EXPECT_EQ(0, report.problems);
    for (const char* expected :
         {"Windows 10.0 build 19045, environment \"Windows x64\", PrinterSetup 4.0.0.0, checked at 2024-05-06 07:08:09.",
          "Print Spooler service: ok, running, starts automatically.",
          "Driver \"VELM58KD\": ok, registered for \"Windows x64\", its 8 files present in "
          "\"C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\\".",
          "Package: the installed files are compared with the package in the current folder.",
          "Driver files: ok, each the package's.", "Printer \"VELM58KD\": ok, on port \"COM3:\" (Local Port), no jobs waiting.",
          "COM port COM3: settings: 9600,n,8,1,x", "Default printer: yes",
          "Print policies: ok, Windows protected print mode is off.", "Result: ready, exit code 0."})
        EXPECT_NE(std::string::npos, text.find(expected)) << expected << "\n" << text;
    EXPECT_EQ(std::string::npos, text.find("Problem:")) << text;
}

TEST_F(HealthCheck, TheCheckChangesNothing)
{
    Install();
    service = {0, false, kServiceDemandStart};
    printers.state.attributes = kPrinterAttributeWorkOffline;
    ports.ports.pop_back();
    Run();
    EXPECT_TRUE(files.Changes().empty());
    for (const std::string& call : registry.log)
        EXPECT_EQ(0u, call.rfind("Read", 0)) << call;
    EXPECT_TRUE(files.held.empty()) << "no package file stays held";
}

struct BrokenState {
    const char* name;
    std::function<void(HealthCheck&)> breakIt;
    CheckResult result;
    std::vector<const char*> findings;
};
void PrintTo(const BrokenState& state, std::ostream* out)
{
    *out << state.name;
}

const std::string kVersionFolder = "C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\";

void EraseInstalled(HealthCheck& check, const std::string& name)
{
    std::string path = kVersionFolder + name;
    for (char& c : path)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    check.files.disk.erase(path);
}

DriverFileFacts Versioned(uint32_t ms, uint32_t ls)
{
    DriverFileFacts facts;
    facts.hasVersion = true;
    facts.versionMS = ms;
    facts.versionLS = ls;
    return facts;
}

const BrokenState kBrokenStates[] = {
    {"SpoolerStopped", [](HealthCheck& c) { c.service.running = false; }, CheckResult::NeedsRepair,
     {"Problem: The Print Spooler service is not running: nothing prints until it runs. Open Services "
      "(services.msc) and start \"Print Spooler\"."}},
    {"SpoolerStartsManually", [](HealthCheck& c) { c.service.startType = kServiceDemandStart; },
     CheckResult::NeedsRepair,
     {"Problem: The Print Spooler service does not start automatically: printing stops at the next restart."}},
    {"SpoolerDisabled", [](HealthCheck& c) { c.service = {0, false, kServiceDisabled}; }, CheckResult::NeedsRepair,
     {"Problem: The Print Spooler service is disabled: nothing can print."}},
    {"DriverFileRemoved", [](HealthCheck& c) { EraseInstalled(c, "uniDRV.DLL"); }, CheckResult::NeedsRepair,
     {"Problem: The driver file \"uniDRV.DLL\" named by the driver \"VELM58KD\" is missing from "
      "\"C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\\": run the setup again"}},
    {"OlderDriverFileInPlace",
     [](HealthCheck& c) {
         FakeInstallSystem& files = c.files;
         files.disk["C:\\WINDOWS\\SYSTEM32\\SPOOL\\DRIVERS\\X64\\3\\UNIDRV.DLL"] = "old";
         files.SetFacts(kVersionFolder + "uniDRV.DLL", Versioned(3, 1));
         files.SetFacts("Printer Driver\\x64\\uniDRV.DLL", Versioned(3, 2));
     },
     CheckResult::NeedsRepair,
     {"Problem: The driver file \"C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\uniDRV.DLL\" is not the "
      "package's: Installed: version 0.3.0.1, dated 1601-01-01; the package's: version 0.3.0.2, dated 1601-01-01. "
      "The installed version is lower, so Windows would have replaced it"}},
    {"NewerDriverFileWindowsKept",
     [](HealthCheck& c) {
         FakeInstallSystem& files = c.files;
         files.disk["C:\\WINDOWS\\SYSTEM32\\SPOOL\\DRIVERS\\X64\\3\\UNIDRV.DLL"] = "newer";
         files.SetFacts(kVersionFolder + "uniDRV.DLL", Versioned(4, 0));
         files.SetFacts("Printer Driver\\x64\\uniDRV.DLL", Versioned(3, 2));
         c.policies.version = {10, 0, 19045};
     },
     CheckResult::Ready,
     {"uniDRV.DLL: Windows kept its newer version 0.4.0.0; the package has 0.3.0.2.",
      "Driver files: ok, each the package's or one Windows chose to keep."}},
    {"PortRemoved", [](HealthCheck& c) { c.ports.ports.pop_back(); }, CheckResult::NeedsRepair,
     {"Problem: The printer's port COM3: no longer exists: run the setup again and choose a port."}},
    {"PrinterPaused", [](HealthCheck& c) { c.printers.state.status = kPrinterStatusPaused; },
     CheckResult::NeedsRepair, {"Problem: The printer is paused"}},
    {"PrinterOffline", [](HealthCheck& c) { c.printers.state.attributes = kPrinterAttributeWorkOffline; },
     CheckResult::NeedsRepair,
     {"Problem: The printer is set to work offline: open its queue (Devices and Printers, See what's printing) and "
      "clear Printer > Use Printer Offline."}},
    {"PaperOutWithAJobInError",
     [](HealthCheck& c) {
         PrinterState& state = c.printers.state;
         state.status = 0x10 | 0x400;  // paper out while printing
         state.jobs = 3;
         state.errorJob = "Receipt 42";
         state.errorJobStatus = kJobStatusError;
     },
     CheckResult::NeedsRepair,
     {"Problem: The printer reports: paper out. Check the printer itself",
      "Problem: The print job \"Receipt 42\" has an error and holds up the jobs after it",
      "Printer \"VELM58KD\": 3 jobs waiting."}},
    {"PrinterOnAnotherDriver", [](HealthCheck& c) { c.printers.state.driverName = "Generic / Text Only"; },
     CheckResult::NeedsRepair,
     {"Problem: The printer \"VELM58KD\" uses the driver \"Generic / Text Only\", not \"VELM58KD\""}},
    {"PrinterRemoved", [](HealthCheck& c) { c.printers.present = false; }, CheckResult::NeedsRepair,
     {"Problem: The printer \"VELM58KD\" is not installed, although its driver is: run the setup again"}},
    {"ProtectedPrintOn", [](HealthCheck& c) { c.policies.protectedPrint = ProtectedPrint::ByPolicy; },
     CheckResult::NeedsRepair, {"Problem: Windows protected print mode is on"}},
    {"SeveralTogether",
     [](HealthCheck& c) {
         c.service.running = false;
         c.ports.ports.pop_back();
         c.printers.state.attributes = kPrinterAttributeWorkOffline;
     },
     CheckResult::NeedsRepair,
     {"The Print Spooler service is not running", "The printer's port COM3: no longer exists",
      "set to work offline", "Result: needs repair (3 problems), exit code 1610."}},
    {"NothingInstalled", [](HealthCheck& c) { c.RemoveEverything(); },
     CheckResult::NotInstalled,
     {"Driver \"VELM58KD\": not registered for \"Windows x64\".", "Printer \"VELM58KD\": not installed.",
      "Result: not installed, exit code 1605."}},
    {"NothingInstalledOnAStoppedSpooler",
     [](HealthCheck& c) {
         c.RemoveEverything();
         c.service = {0, false, kServiceDemandStart};
     },
     CheckResult::NotInstalled, {"Result: not installed (2 problems), exit code 1605."}},
    {"SpoolerAnswersNothing",
     [](HealthCheck& c) {
         c.files.failOn = "GetInstalledDriver";
         c.files.failError = 1722;
         c.printers.error = 1722;
     },
     CheckResult::CouldNotRun,
     {"Driver \"VELM58KD\" could not be read: Error text 1722 (error 1722).",
      "Result: the check could not read everything, exit code 1627."}},
    {"PackageNotAtHand", [](HealthCheck& c) { c.files.missing.insert("Printer Driver\\x64\\QRX58.DLL"); },
     CheckResult::Ready, {"Package: not in the current folder, so the installed files are checked for presence only."}},
    {"SealedProgramBesideAnotherPackage",
     [](HealthCheck& c) {
         PackageSeal seal;
         seal.state = SealState::Sealed;
         seal.release = "4.0.0.0";
         c.seal = seal;  // it holds none of the package's files
     },
     CheckResult::Ready,
     {"Package: the package in the current folder is not the one this program was released with "
      "(\"Printer Driver\\x64\\QRX58.DLL\"), so the installed files are checked for presence only."}},
};

class HealthCheckStates : public HealthCheck, public testing::WithParamInterface<BrokenState> {};

TEST_P(HealthCheckStates, NamesEachProblemWithItsFixAndAnswersItsExitCode)
{
    Install();
    GetParam().breakIt(*this);
    const CheckReport report = Run();
    const std::string text = Text(report);
    EXPECT_EQ(GetParam().result, report.result) << text;
    for (const char* finding : GetParam().findings)
        EXPECT_NE(std::string::npos, text.find(finding)) << finding << "\n" << text;
    // Ready and "could not read" find no problem; a repair is needed for a named one.
    if (report.result != CheckResult::NotInstalled)
        EXPECT_EQ(report.result == CheckResult::NeedsRepair, text.find("Problem:") != std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(States, HealthCheckStates, testing::ValuesIn(kBrokenStates),
                         [](const testing::TestParamInfo<BrokenState>& info) { return std::string(info.param.name); });

}  // namespace

TEST(HealthCheckExitCodes, AreDistinctAndNoneIsAnInstallCodeOfAnotherMeaning)
{
    const std::vector<int> codes = {CheckExitCode(CheckResult::Ready), CheckExitCode(CheckResult::NotInstalled),
                                    CheckExitCode(CheckResult::NeedsRepair), CheckExitCode(CheckResult::CouldNotRun)};
    EXPECT_EQ((std::vector<int>{0, 1605, 1610, 1627}), codes);
    for (int code : {1605, 1610, 1627})
        for (int install : {kExitInvalidParameter, kExitInstallFailure, kExitLogFailure, 1618})
            EXPECT_NE(install, code);
}
