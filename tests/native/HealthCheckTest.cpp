// /check against the fakes: an installation made by the real installation code, then broken
// one way (or several) at a time; each state's findings, in the user's words, and exit code.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
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
    PrinterState state{"COM3:", "VELM58KD"};
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
        policies.version = files.windows = {10, 0, 19045};
        ports.ports = {{std::string("LPT1:"), std::string("Local Port")}, {std::string("COM3:"), std::string("Local Port")}};
        registry.portSettings["COM3:"] = "9600,n,8,1,x";
        registry.device = std::string("VELM58KD,winspool,COM3:");
    }
    // The installed uniDRV.DLL replaced by another copy of the version given; the package's is 0.3.0.2.
    void ReplaceInstalledFile(uint32_t ms, uint32_t ls)
    {
        files.disk["C:\\WINDOWS\\SYSTEM32\\SPOOL\\DRIVERS\\X64\\3\\UNIDRV.DLL"] = "another copy";
        files.SetFacts(files.VersionFolder() + "\\uniDRV.DLL", DriverFileFacts{true, ms, ls});
        files.SetFacts("Printer Driver\\x64\\uniDRV.DLL", DriverFileFacts{true, 3, 2});
    }

    FakeInstallSystem files;
    FakePortSpooler ports;
    FakePrinters printers;
    FakeUninstallSystem registry;
    PrintPolicies policies;
    SpoolerServiceFacts service{0, true, kServiceAutoStart};
    std::optional<PackageSeal> seal;
};

struct CheckedState {
    const char* name;
    std::function<void(HealthCheck&)> breakIt;
    int exitCode;
    std::vector<const wchar_t*> findings;
};

const CheckedState kStates[] = {
    {"Healthy", [](HealthCheck&) {}, 0,
     {L"Windows 10.0 build 19045, environment \"Windows x64\", PrinterSetup 4.0.0.0, checked at 2024-05-06 07:08:09.",
      L"Driver \"VELM58KD\": ok, registered for \"Windows x64\", its 8 files present in "
      "\"C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\\".",
      L"Driver files: ok, each the package's.", L"Printer \"VELM58KD\": ok, on port \"COM3:\" (Local Port), no jobs waiting.",
      L"COM port COM3: settings: 9600,n,8,1,x", L"Default printer: yes", L"Result: ready, exit code 0."}},
    {"SpoolerStopped", [](HealthCheck& c) { c.service.running = false; }, 1610,
     {L"Problem: The Print Spooler service is not running: nothing prints until it runs. Open Services "
      "(services.msc) and start \"Print Spooler\"."}},
    {"SpoolerStartsManually", [](HealthCheck& c) { c.service.startType = kServiceDemandStart; }, 1610,
     {L"Problem: The Print Spooler service does not start automatically: printing stops at the next restart."}},
    {"SpoolerDisabled", [](HealthCheck& c) { c.service = {0, false, kServiceDisabled}; }, 1610,
     {L"Problem: The Print Spooler service is disabled: nothing can print."}},
    {"DriverFileRemoved",
     [](HealthCheck& c) { c.files.disk.erase("C:\\WINDOWS\\SYSTEM32\\SPOOL\\DRIVERS\\X64\\3\\UNIDRV.DLL"); }, 1610,
     {L"Problem: The driver file \"uniDRV.DLL\" named by the driver \"VELM58KD\" is missing from "
      "\"C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\\": run the setup again"}},
    {"OlderDriverFileInPlace", [](HealthCheck& c) { c.ReplaceInstalledFile(3, 1); }, 1610,
     {L"Problem: The driver file \"C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\uniDRV.DLL\" is not the "
      "package's: Installed: version 0.3.0.1, dated 1601-01-01; the package's: version 0.3.0.2, dated 1601-01-01. "
      "The installed version is lower, so Windows would have replaced it"}},
    {"NewerDriverFileWindowsKept", [](HealthCheck& c) { c.ReplaceInstalledFile(4, 0); }, 0,
     {L"uniDRV.DLL: Windows kept its newer version 0.4.0.0; the package has 0.3.0.2.",
      L"Driver files: ok, each the package's or one Windows chose to keep."}},
    {"PortRemoved", [](HealthCheck& c) { c.ports.ports.pop_back(); }, 1610,
     {L"Problem: The printer's port COM3: no longer exists: run the setup again and choose a port."}},
    {"PrinterPaused", [](HealthCheck& c) { c.printers.state.status = kPrinterStatusPaused; }, 1610,
     {L"Problem: The printer is paused"}},
    {"PrinterOffline", [](HealthCheck& c) { c.printers.state.attributes = kPrinterAttributeWorkOffline; }, 1610,
     {L"Problem: The printer is set to work offline: open its queue (Devices and Printers, See what's printing) and "
      "clear Printer > Use Printer Offline."}},
    {"PaperOutWhilePrintingWithAJobInError",
     [](HealthCheck& c) { c.printers.state = {"COM3:", "VELM58KD", 0x10 | 0x400, 0, 3, "Receipt 42", kJobStatusError}; },
     1610,
     {L"Problem: The printer reports: paper out. Check the printer itself",
      L"Problem: The print job \"Receipt 42\" has an error and holds up the jobs after it",
      L"Printer \"VELM58KD\": 3 jobs waiting."}},
    {"PrinterOnAnotherDriver", [](HealthCheck& c) { c.printers.state.driverName = "Generic / Text Only"; }, 1610,
     {L"Problem: The printer \"VELM58KD\" uses the driver \"Generic / Text Only\", not \"VELM58KD\""}},
    {"PrinterRemoved", [](HealthCheck& c) { c.printers.present = false; }, 1610,
     {L"Problem: The printer \"VELM58KD\" is not installed, although its driver is: run the setup again"}},
    {"PrinterWithoutItsDriver", [](HealthCheck& c) { c.files.driverInstalled = false; }, 1610,
     {L"Problem: The printer \"VELM58KD\" is installed, but its driver is not registered for this Windows"}},
    {"ProtectedPrintOn", [](HealthCheck& c) { c.policies.protectedPrint = ProtectedPrint::ByPolicy; }, 1610,
     {L"Problem: Windows protected print mode is on"}},
    {"SeveralTogether",
     [](HealthCheck& c) {
         c.service.running = false;
         c.ports.ports.pop_back(); c.printers.state.attributes = kPrinterAttributeWorkOffline;
     },
     1610,
     {L"The Print Spooler service is not running", L"The printer's port COM3: no longer exists", L"set to work offline",
      L"Result: needs repair (3 problems), exit code 1610."}},
    {"NothingInstalledOnAStoppedSpooler",  // not installed wins over the spooler's problems
     [](HealthCheck& c) { c.files.driverInstalled = c.printers.present = false; c.service = {0, false, kServiceDemandStart}; },
     1605,
     {L"Driver \"VELM58KD\": not registered for \"Windows x64\".", L"Printer \"VELM58KD\": not installed.",
      L"Result: not installed (2 problems), exit code 1605."}},
    {"SpoolerAnswersNothing",
     [](HealthCheck& c) { c.files.failOn = "GetInstalledDriver"; c.files.failError = c.printers.error = 1722; }, 1627,
     {L"Driver \"VELM58KD\" could not be read: Error text 1722 (error 1722).",
      L"Result: the check could not read everything, exit code 1627."}},
    {"PackageNotAtHand", [](HealthCheck& c) { c.files.missing.insert("Printer Driver\\x64\\QRX58.DLL"); }, 0,
     {L"Package: not in the current folder, so the installed files are checked for presence only."}},
    {"SealedProgramBesideAnotherPackage",
     [](HealthCheck& c) { c.seal = PackageSeal{SealState::Sealed, "4.0.0.0"}; },  // it holds none of the package's files
     0,
     {L"Package: the package in the current folder is not the one this program was released with "
      "(\"Printer Driver\\x64\\QRX58.DLL\"), so the installed files are checked for presence only."}},
};

class HealthCheckStates : public HealthCheck, public testing::WithParamInterface<CheckedState> {};

TEST_P(HealthCheckStates, NamesEachProblemWithItsFixAnswersItsExitCodeAndChangesNothing)
{
    InstallChoices choices;
    choices.host = HostArchitecture::X64;
    choices.port = "COM3:";
    InstallSystem install = files.System();
    ASSERT_TRUE(RunInstallation(choices, install).succeeded);
    files.log.clear();
    GetParam().breakIt(*this);

    CheckSystem system{files, files, ports, printers, registry, HostArchitecture::X64, policies, service};
    system.seal = seal ? &*seal : nullptr;
    system.programVersion = "4.0.0.0";
    system.time = "2024-05-06 07:08:09";
    system.widenAnsi = [](const std::string& text) { return FromUtf8(text); };
    system.errorText = [](uint32_t code) { return L"Error text " + std::to_wstring(code); };
    const CheckReport report = RunHealthCheck(system);
    std::wstring text;
    for (const std::wstring& line : report.lines)
        text += line + L'\n';
    EXPECT_EQ(GetParam().exitCode, CheckExitCode(report.result)) << text;
    for (const wchar_t* finding : GetParam().findings)
        EXPECT_NE(std::wstring::npos, text.find(finding)) << finding << "\n" << text;
    // Ready and "could not read" find no problem; a repair is needed for a named one.
    if (report.result != CheckResult::NotInstalled)
        EXPECT_EQ(report.result == CheckResult::NeedsRepair, text.find(L"Problem:") != std::wstring::npos) << text;
    EXPECT_TRUE(files.Changes().empty());
    for (const std::string& call : registry.log)
        EXPECT_EQ(0u, call.rfind("Read", 0)) << call;
    EXPECT_TRUE(files.held.empty()) << "no package file stays held";
}

INSTANTIATE_TEST_SUITE_P(States, HealthCheckStates, testing::ValuesIn(kStates),
                         [](const testing::TestParamInfo<CheckedState>& info) { return std::string(info.param.name); });

}  // namespace

TEST(HealthCheckExitCodes, NoneIsAnInstallModeCode)
{
    for (CheckResult result : {CheckResult::NotInstalled, CheckResult::NeedsRepair, CheckResult::CouldNotRun})
        for (int install : {kExitInvalidParameter, kExitInstallFailure, kExitLogFailure, 1618})
            EXPECT_NE(install, CheckExitCode(result));
}
