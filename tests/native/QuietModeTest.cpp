#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include <cstring>

#include "FakeInstallSystem.h"
#include "FakeSpoolerService.h"
#include "UninstallFake.h"
#include "app/LogText.h"
#include "system/Utf8.h"
#include "app/QuietMode.h"

namespace {

// The local ports as EnumPortsA level 2 packs them: records first, their texts after them,
// ERROR_INSUFFICIENT_BUFFER with the needed size for too small a buffer.
class ListedPorts : public IPortSpooler {
public:
    std::vector<std::string> names;
    // Names in their code-page form of a port whose true name the code page cannot hold: their
    // records carry that true name (here: the same text) as pUnicodeName.
    std::vector<std::string> lossy;
    uint32_t failure = 0;  // what every enumeration answers instead (0: none)
    std::vector<uint32_t> levels;

    SpoolerResult EnumeratePorts(uint32_t level, uint8_t* buffer, uint32_t size, uint32_t& needed,
                                 uint32_t& returned) override
    {
        levels.push_back(level);
        returned = 0;
        if (failure != 0 || level != 2)
            return {false, failure != 0 ? failure : 124u};
        size_t total = names.size() * sizeof(PortInfo2Record);
        for (const std::string& name : names)
            total += name.size() + 1;
        needed = static_cast<uint32_t>(total);
        if (buffer == nullptr || size < total)
            return {false, 122};
        std::memset(buffer, 0, size);
        auto* records = reinterpret_cast<PortInfo2Record*>(buffer);
        char* text = reinterpret_cast<char*>(buffer + names.size() * sizeof(PortInfo2Record));
        for (size_t i = 0; i < names.size(); ++i) {
            std::memcpy(text, names[i].c_str(), names[i].size() + 1);
            records[i].pPortName = text;
            if (std::find(lossy.begin(), lossy.end(), names[i]) != lossy.end())
                records[i].pUnicodeName = text;
            text += names[i].size() + 1;
        }
        returned = static_cast<uint32_t>(names.size());
        return {true, 0};
    }
    SpoolerResult EnumerateMonitors(uint32_t, uint8_t*, uint32_t, uint32_t&, uint32_t&) override { return {false, 1}; }
    SpoolerResult AddNewPort(OwnerWindow, const std::string&) override { return {false, 1}; }
    SpoolerResult ConfigureExistingPort(OwnerWindow, const std::string&) override { return {false, 1}; }
};

// A port monitor's Xcv interface: a port it adds is listed by the spooler from then on.
class MonitorXcv : public IXcvPorts {
public:
    explicit MonitorXcv(ListedPorts& ports) : m_ports(ports) {}
    bool monitorInstalled = true;
    uint32_t addError = 0;
    std::vector<std::string> monitors;
    std::vector<std::vector<uint8_t>> inputs;
    XcvAddPortResult AddPort(const std::string& monitorName, const std::vector<uint8_t>& input) override
    {
        monitors.push_back(monitorName);
        inputs.push_back(input);
        XcvAddPortResult result;
        if (!monitorInstalled) {
            result.error = kErrorUnknownPort;
            return result;
        }
        result.monitorOpened = true;
        // The port's name is the record's first field, UTF-16 (ASCII here).
        std::string name;
        for (size_t i = 0; i + 1 < input.size() && input[i] != 0; i += 2)
            name += static_cast<char>(input[i]);
        bool exists = false;
        for (const std::string& listed : m_ports.names)
            exists = exists || listed == name;
        result.error = addError != 0 ? addError : exists ? kErrorAlreadyExists : 0;
        if (result.error == 0)
            m_ports.names.push_back(name);
        return result;
    }

private:
    ListedPorts& m_ports;
};

// A log whose writes fail from line `failFrom` on (1: the first), as a full disk fails them.
class RecordingLog : public QuietLog {
public:
    std::vector<std::wstring> lines;
    size_t failFrom = 0;  // 0: never
    size_t attempts = 0;
    bool Write(const std::wstring& line) override
    {
        ++attempts;
        if (failFrom != 0 && attempts >= failFrom)
            return false;
        lines.push_back(line);
        return true;
    }
    bool Has(const std::wstring& part) const
    {
        for (const std::wstring& line : lines)
            if (line.find(part) != std::wstring::npos)
                return true;
        return false;
    }
    std::string Dump() const
    {
        std::string text;
        for (const std::wstring& line : lines)
            text += std::string(line.begin(), line.end()) + "\n";  // the tests' texts are ASCII
        return text;
    }
};

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

// A code page that holds ASCII only, for the tests' purposes.
bool AsciiOnly(const std::string& utf8, std::string& ansi)
{
    for (char c : utf8)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    ansi = utf8;
    return true;
}

// No line holds a character that could start, hide or reorder a line.
bool AnyControlIn(const std::vector<std::wstring>& lines)
{
    for (const std::wstring& line : lines)
        for (wchar_t c : line)
            if (c < 0x20 || c == 0x7F || c == 0x85 || c == 0x2028 || c == 0x2029 || c == 0x202E)
                return true;
    return false;
}

class QuietModeTest : public testing::Test {
protected:
    QuietModeTest()
    {
        m_ports.names = {"COM1:", "COM2:", "FILE:", "LPT1:", "C:\\my out.prn"};
    }

    QuietSystem System(HostArchitecture host = HostArchitecture::X64)
    {
        QuietSystem system{m_install,
                           m_install,
                           m_install,
                           m_ports,
                           m_removal,
                           m_log,
                           host,
                           Widen,
                           [](uint32_t code) { return L"<text of " + std::to_wstring(code) + L">"; },
                           L"REGISTRY-MESSAGE",
                           AsciiOnly};
        system.xcv = &m_xcv;
        system.accounts = m_accounts;
        return system;
    }

    int Install(const char* commandLine, HostArchitecture host = HostArchitecture::X64)
    {
        CommandLineOptions options = ParseCommandLine(commandLine);
        EXPECT_EQ(CommandMode::QuietInstall, options.mode) << options.error;
        QuietSystem system = System(host);
        return RunQuietInstall(options, system);
    }

    const std::string kDevice = "HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\Device";
    FakeInstallSystem m_install;
    ListedPorts m_ports;
    FakeUninstallSystem m_removal;
    RecordingLog m_log;
    MonitorXcv m_xcv{m_ports};
    AccountQuery* m_accounts = nullptr;
};

TEST_F(QuietModeTest, InstallsOnLpt1WithTheDefaultPrinterAndSaysSoInTheLog)
{
    EXPECT_EQ(0, Install("/quiet"));
    ASSERT_EQ(1u, m_install.printers.size()) << m_log.Dump();
    EXPECT_EQ("LPT1:", m_install.printers[0].portName);
    ASSERT_EQ(1u, m_install.drivers.size());
    EXPECT_EQ("Windows x64", m_install.drivers[0].environment);
    EXPECT_EQ(std::string("VELM58KD,winspool,LPT1:\0", 24), m_install.values[kDevice]);
    EXPECT_TRUE(m_install.pauses.empty()) << "no one is watching a bar";
    EXPECT_TRUE(m_log.Has(L"port \"LPT1:\", environment \"Windows x64\", default printer: yes.")) << m_log.Dump();
    EXPECT_TRUE(m_log.Has(L"Printer \"VELM58KD\" added on port \"LPT1:\".")) << m_log.Dump();
    EXPECT_EQ(L"Result: success, exit code 0.", m_log.lines.back());
}

TEST_F(QuietModeTest, NoDefaultLeavesTheUsersDefaultPrinterAlone)
{
    EXPECT_EQ(0, Install("/quiet /nodefault /port COM2:"));
    ASSERT_EQ(1u, m_install.printers.size());
    EXPECT_EQ("COM2:", m_install.printers[0].portName);
    EXPECT_EQ(0u, m_install.values.count(kDevice));
    EXPECT_TRUE(m_log.Has(L"default printer: no (/nodefault).")) << m_log.Dump();
    EXPECT_TRUE(m_log.Has(L"Default printer left as it was.")) << m_log.Dump();
    // The serial panel's defaults stay on LPT1: a COM port on the command line writes no line settings.
    for (const auto& value : m_install.values)
        EXPECT_EQ(std::string::npos, value.first.find("Ports")) << value.first;
}

TEST_F(QuietModeTest, OnArm64WithoutItsDriverNothingIsInstalledAndTheLogSaysWhy)
{
    EXPECT_EQ(1603, Install("/quiet", HostArchitecture::Arm64));
    EXPECT_TRUE(m_install.Changes().empty()) << m_log.Dump();
    EXPECT_TRUE(m_log.Has(L"environment \"Windows ARM64\"")) << m_log.Dump();
    EXPECT_TRUE(m_log.Has(L"Failed: This driver package has no printer driver for ARM64 Windows (no folder "
                          L"\"Printer Driver\\arm64\\\" in it). An x64 or x86 printer driver cannot print on ARM64 "
                          L"Windows. Nothing was installed."))
        << m_log.Dump();
    EXPECT_EQ(L"Result: failure, exit code 1603.", m_log.lines.back());
}

TEST_F(QuietModeTest, APortIsTakenInTheSpoolersSpellingAndMayHaveSpaces)
{
    EXPECT_EQ(0, Install("/quiet /port lpt1:"));
    ASSERT_EQ(1u, m_install.printers.size());
    EXPECT_EQ("LPT1:", m_install.printers[0].portName);
    EXPECT_EQ(std::string("VELM58KD,winspool,LPT1:\0", 24), m_install.values[kDevice]);

    FakeInstallSystem fresh;
    m_install = fresh;
    EXPECT_EQ(0, Install("/quiet /port \"c:\\MY OUT.prn\""));
    ASSERT_EQ(1u, m_install.printers.size());
    EXPECT_EQ("C:\\my out.prn", m_install.printers[0].portName);
    EXPECT_EQ(std::vector<uint32_t>({2, 2, 2, 2}), m_ports.levels) << "each run: the sizing call, then the records";
}

TEST_F(QuietModeTest, APortTheSpoolerDoesNotListInstallsNothing)
{
    EXPECT_EQ(1603, Install("/quiet /port LPT9:"));
    EXPECT_TRUE(m_install.log.empty()) << "not even the package was looked at";
    EXPECT_TRUE(m_log.Has(L"Port \"LPT9:\" is not a port of this computer (the print spooler lists COM1:, COM2:, FILE:, "
                          L"LPT1:, C:\\my out.prn). Nothing was installed."))
        << m_log.Dump();
    EXPECT_EQ(L"Result: failure, exit code 1603.", m_log.lines.back());

    // "LPT1" is not "LPT1:": a near miss is not guessed at.
    EXPECT_EQ(1603, Install("/quiet /port LPT1"));
    EXPECT_TRUE(m_install.Changes().empty());
}

TEST_F(QuietModeTest, ASpoolerThatCannotListItsPortsIsNotOneWithoutPorts)
{
    m_ports.failure = 1722;  // RPC_S_SERVER_UNAVAILABLE: the spooler is not running
    EXPECT_EQ(1603, Install("/quiet"));
    EXPECT_TRUE(m_install.log.empty());
    EXPECT_TRUE(m_log.Has(L"Failed: The print spooler could not list this computer's ports: <text of 1722> (error "
                          L"1722). Nothing was installed."))
        << m_log.Dump();
    m_ports.failure = 0;
    m_ports.names.clear();
    EXPECT_EQ(1603, Install("/quiet"));
    EXPECT_TRUE(m_log.Has(L"(the print spooler lists none)")) << m_log.Dump();
}

// Nobody to ask: a stopped service is started, the disabled one left alone.
class QuietSpoolerService : public QuietModeTest, public testing::WithParamInterface<ServiceCase> {};

TEST_P(QuietSpoolerService, StartsAStoppedServiceWithoutAskingAndSaysWhatItFound)
{
    const ServiceCase& row = GetParam();
    m_ports.failure = kErrorRpcServerUnavailable;
    FakeSpoolerService service;
    service.state = row.state;
    service.queryError = row.queryError;
    service.startError = row.startError;
    service.onStarted = [this] { m_ports.failure = 0; };
    QuietSystem system = System();
    system.spoolerService = &service;
    const int exitCode = RunQuietInstall(ParseCommandLine("/quiet"), system);

    EXPECT_EQ(row.works ? 0 : 1603, exitCode) << m_log.Dump();
    EXPECT_EQ(row.asked ? 1 : 0, service.starts);
    EXPECT_EQ(row.asked, m_log.Has(L"The Print Spooler service is stopped: starting it.")) << m_log.Dump();
    EXPECT_EQ(row.works && row.asked, m_log.Has(kSpoolerStartedText)) << m_log.Dump();
    EXPECT_EQ(row.finding == SpoolerFinding::WasStarting, m_log.Has(kSpoolerWasStartingText)) << m_log.Dump();
    if (row.works)
        return;
    EXPECT_TRUE(m_install.log.empty());
    EXPECT_TRUE(m_log.Has(row.says != nullptr ? row.says : L"<text of 1722> (error 1722). Nothing was installed."))
        << m_log.Dump();
}

std::vector<ServiceCase> StatesOfAnUnattendedRun()  // nobody to say no
{
    std::vector<ServiceCase> rows;
    std::copy_if(std::begin(kServiceCases), std::end(kServiceCases), std::back_inserter(rows),
                 [](const ServiceCase& row) { return row.yes; });
    return rows;
}

INSTANTIATE_TEST_SUITE_P(EveryState, QuietSpoolerService, testing::ValuesIn(StatesOfAnUnattendedRun()),
                         ServiceCaseName);

TEST_F(QuietModeTest, AMissingPackageFileFailsNamingTheFileAndChangesNothing)
{
    m_install.missing.insert("Printer Driver\\x86\\UNIRES.DLL");
    EXPECT_EQ(1603, Install("/quiet", HostArchitecture::X86));
    EXPECT_TRUE(m_install.Changes().empty());
    ASSERT_GE(m_log.lines.size(), 2u);
    const std::wstring failure = m_log.lines[m_log.lines.size() - 2];
    EXPECT_EQ(0u, failure.find(L"Failed: The driver package is incomplete.")) << m_log.Dump();
    EXPECT_NE(std::wstring::npos, failure.find(L"\"Printer Driver\\x86\\UNIRES.DLL\"")) << m_log.Dump();
    EXPECT_EQ(std::wstring::npos, failure.find(L'\n'));
}

TEST_F(QuietModeTest, AFailedSpoolerCallIsLoggedWithWindowsOwnText)
{
    m_install.failOn = "CreatePrinter";
    m_install.failError = 5;
    EXPECT_EQ(1603, Install("/quiet"));
    EXPECT_TRUE(m_log.Has(L"Failed: The printer \"VELM58KD\" could not be added on port \"LPT1:\". <text of 5>"))
        << m_log.Dump();
    EXPECT_EQ(0u, m_install.values.count(kDevice));
}

TEST_F(QuietModeTest, ARegistryFailureLogsTheMessageAndFails)
{
    m_install.failOn = "SetValue";
    EXPECT_EQ(1603, Install("/quiet"));
    EXPECT_EQ(1u, m_install.printers.size()) << "the printer itself was installed";
    EXPECT_TRUE(m_log.Has(L"Registry: REGISTRY-MESSAGE")) << m_log.Dump();
    EXPECT_TRUE(m_log.Has(L"Failed: a registry setting could not be written.")) << m_log.Dump();
    EXPECT_EQ(L"Result: failure, exit code 1603.", m_log.lines.back());
}

TEST_F(QuietModeTest, RunningAgainRepairsAndSaysSo)
{
    m_install.existingPrinters.insert("VELM58KD");
    EXPECT_EQ(0, Install("/quiet /port COM1:"));
    ASSERT_EQ(1u, m_install.rebinds.size());
    EXPECT_EQ("COM1:", m_install.rebinds[0].portName);
    EXPECT_TRUE(m_log.Has(L"Printer \"VELM58KD\" existed and was put on port \"COM1:\".")) << m_log.Dump();
}

TEST_F(QuietModeTest, TcpCreatesItsPortThroughTheMonitorAndInstallsOnIt)
{
    EXPECT_EQ(0, Install("/quiet /tcp 192.168.1.50"));
    ASSERT_EQ(std::vector<std::string>({"Standard TCP/IP Port"}), m_xcv.monitors);
    ASSERT_EQ(964u, m_xcv.inputs[0].size());
    EXPECT_EQ(9100u, m_xcv.inputs[0][952] | m_xcv.inputs[0][953] << 8) << "RAW on 9100 unless given";
    ASSERT_EQ(1u, m_install.printers.size()) << m_log.Dump();
    EXPECT_EQ("IP_192.168.1.50", m_install.printers[0].portName);
    EXPECT_EQ(std::string("VELM58KD,winspool,IP_192.168.1.50\0", 34), m_install.values[kDevice]);
    EXPECT_TRUE(m_log.Has(L"Port \"IP_192.168.1.50\" created by \"Standard TCP/IP Port\" for 192.168.1.50 port 9100 (RAW)."))
        << m_log.Dump();

    // A second run finds the port there (183) and uses it.
    m_log.lines.clear();
    EXPECT_EQ(0, Install("/quiet /tcp 192.168.1.50"));
    EXPECT_TRUE(m_log.Has(L"Port \"IP_192.168.1.50\" exists already and is used as it is.")) << m_log.Dump();
    EXPECT_EQ("IP_192.168.1.50", m_install.rebinds.at(0).portName);
}

TEST_F(QuietModeTest, TcpWithoutTheMonitorOrARefusedPortChangesNothing)
{
    m_xcv.monitorInstalled = false;
    EXPECT_EQ(1603, Install("/quiet /tcp printer.local:9101"));
    EXPECT_TRUE(m_install.log.empty()) << "not even the package was looked at";
    EXPECT_TRUE(m_log.Has(L"The \"Standard TCP/IP Port\" port monitor is not available on this computer: <text of 1796> "
                          L"(error 1796). Nothing was installed."))
        << m_log.Dump();
    EXPECT_EQ(L"Result: failure, exit code 1603.", m_log.lines.back());

    m_xcv.monitorInstalled = true;
    m_xcv.addError = 5;
    m_log.lines.clear();
    EXPECT_EQ(1603, Install("/quiet /tcp printer.local:9101"));
    EXPECT_TRUE(m_install.log.empty());
    EXPECT_TRUE(m_log.Has(L"Port \"IP_printer.local_9101\" to printer.local port 9101 (RAW) could not be created: "
                          L"<text of 5> (error 5)."))
        << m_log.Dump();
}

// Running as SYSTEM while a user is at the desktop (`shell`; null: no one is logged on).
struct SystemWithUserAtDesktop : AccountQuery {
    const char* shell = "S-1-5-21-7-7-7-1001";
    bool ProcessAccount(std::string& sid) override { return sid = "S-1-5-18", true; }
    bool DesktopShellAccount(std::string& sid) override { return shell != nullptr && (sid = shell, true); }
};

TEST_F(QuietModeTest, TheDefaultPrinterFollowsThePersonAtTheDesktop)
{
    SystemWithUserAtDesktop accounts;
    m_accounts = &accounts;
    m_install.existingKeys.insert("HKU\\S-1-5-21-7-7-7-1001");
    EXPECT_EQ(0, Install("/quiet"));
    EXPECT_EQ(0u, m_install.values.count(kDevice));
    EXPECT_EQ(1u, m_install.values.count("HKU\\S-1-5-21-7-7-7-1001\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\Device"));
    EXPECT_TRUE(m_log.Has(L"for the user at the desktop (S-1-5-21-7-7-7-1001)")) << m_log.Dump();

    // As SYSTEM with no one logged on: no one's default is set, and the log says so.
    accounts.shell = nullptr;
    FakeInstallSystem fresh;
    m_install = fresh;
    m_log.lines.clear();
    EXPECT_EQ(0, Install("/quiet"));
    EXPECT_EQ(1u, m_install.printers.size());
    EXPECT_TRUE(m_install.values.empty());
    EXPECT_TRUE(m_log.Has(L"No one is logged on at the desktop: no user's default printer is set.")) << m_log.Dump();
    EXPECT_TRUE(m_log.Has(L"Default printer left as it was.")) << m_log.Dump();
}

TEST_F(QuietModeTest, UninstallClearsTheDefaultPrinterOfThePersonAtTheDesktopAndAnnouncesIt)
{
    SystemWithUserAtDesktop accounts;
    m_accounts = &accounts;
    QuietSystem system = System();

    // The installation wrote it into the desktop user's hive: that is where it goes.
    m_removal.deviceHive = "S-1-5-21-7-7-7-1001";
    EXPECT_EQ(0, RunQuietUninstall(system));
    EXPECT_FALSE(m_removal.device.has_value()) << m_log.Dump();
    EXPECT_EQ("DeleteDevice S-1-5-21-7-7-7-1001", m_removal.log.back());
    EXPECT_EQ(std::vector<std::string>{"Announce windows"}, m_install.log);
    EXPECT_TRUE(m_log.Has(L"value is looked at for the user at the desktop (S-1-5-21-7-7-7-1001)")) << m_log.Dump();

    // The elevated account's own default is not the desktop user's: it stays, and nothing is announced.
    FakeUninstallSystem ownDefault;
    ownDefault.deviceHive.clear();
    m_removal = ownDefault;
    m_install = FakeInstallSystem();
    EXPECT_EQ(0, RunQuietUninstall(system));
    EXPECT_TRUE(m_removal.device.has_value());
    EXPECT_TRUE(m_install.log.empty());

    // No one at the desktop: no hive is looked at.
    accounts.shell = nullptr;
    FakeUninstallSystem nobody;
    m_removal = nobody;
    m_log.lines.clear();
    EXPECT_EQ(0, RunQuietUninstall(system));
    EXPECT_TRUE(m_removal.device.has_value());
    for (const std::string& call : m_removal.log)
        EXPECT_EQ(std::string::npos, call.find("Device")) << call;
    EXPECT_TRUE(m_log.Has(L"No one is logged on at the desktop: no user's default printer is looked at.")) << m_log.Dump();
}

TEST_F(QuietModeTest, UninstallUsesTheHostsEnvironmentAndLogsEachStep)
{
    const std::pair<HostArchitecture, std::string> kHosts[] = {{HostArchitecture::X64, "Windows x64"},
                                                               {HostArchitecture::X86, "Windows NT x86"},
                                                               {HostArchitecture::Arm64, "Windows ARM64"}};
    for (const auto& host : kHosts) {
        SCOPED_TRACE(host.second);
        FakeUninstallSystem fresh;
        m_removal = fresh;
        m_log.lines.clear();
        QuietSystem system = System(host.first);
        EXPECT_EQ(0, RunQuietUninstall(system));
        EXPECT_EQ("DeleteDriver " + host.second + " VELM58KD", m_removal.log[4]);
        EXPECT_TRUE(m_log.Has(L"Printer \"VELM58KD\": removed.")) << m_log.Dump();
        EXPECT_TRUE(m_log.Has(L"Default printer value \"Device\" = \"VELM58KD,winspool,LPT1:\": removed."))
            << m_log.Dump();
        EXPECT_EQ(L"Result: success, exit code 0.", m_log.lines.back());
    }
}

TEST_F(QuietModeTest, UninstallOfWhatStaysFailsWithTheReason)
{
    m_removal.failOn = "DeleteDriver";
    m_removal.failError = 5;
    QuietSystem system = System();
    EXPECT_EQ(1603, RunQuietUninstall(system));
    EXPECT_TRUE(m_log.Has(L"Driver \"VELM58KD (Windows x64)\": could not be removed. <text of 5> (error 5)"))
        << m_log.Dump();

    FakeUninstallSystem empty;
    empty.printerPresent = empty.driverPresent = false;
    empty.device.reset();
    m_removal = empty;
    m_log.lines.clear();
    EXPECT_EQ(0, RunQuietUninstall(system)) << "nothing there is removed already";
    EXPECT_TRUE(m_log.Has(L"Printer \"VELM58KD\": not present.")) << m_log.Dump();
}

TEST_F(QuietModeTest, UninstallKeepsADriverInUseSaysWhoUsesItAndSucceeds)
{
    m_removal.otherPrinters = {{"Shop Counter", "VELM58KD"}};
    QuietSystem system = System();
    EXPECT_EQ(0, RunQuietUninstall(system));
    EXPECT_FALSE(m_removal.printerPresent);
    EXPECT_TRUE(m_removal.driverPresent);
    EXPECT_TRUE(m_log.Has(L"Driver \"VELM58KD (Windows x64)\": left installed, printer \"Shop Counter\" uses it."))
        << m_log.Dump();

    FakeUninstallSystem refusing;  // Windows' answer for a user the list does not show
    refusing.failOn = "DeleteDriver";
    refusing.failError = 3001;
    m_removal = refusing;
    m_log.lines.clear();
    EXPECT_EQ(0, RunQuietUninstall(system));
    EXPECT_TRUE(m_log.Has(L": left installed, the print spooler reports it in use. <text of 3001> (error 3001)"))
        << m_log.Dump();
}

TEST_F(QuietModeTest, UninstallLeavesADeviceValueThatIsNoStringAndSucceeds)
{
    m_removal.deviceType = 3;  // REG_BINARY
    QuietSystem system = System();
    EXPECT_EQ(0, RunQuietUninstall(system));
    EXPECT_TRUE(m_removal.device.has_value());
    EXPECT_TRUE(m_log.Has(L"Default printer value \"Device\" is not a string (REG_BINARY) and names no printer: left "
                          L"as it is."))
        << m_log.Dump();
}

TEST_F(QuietModeTest, APortTheCodePageCannotHoldIsRefusedBeforeAnything)
{
    // "C:\한국\출력.prn": the spooler's ANSI calls would get "C:\??\??.prn".
    EXPECT_EQ(1603, Install("/quiet /port \"C:\\\xED\x95\x9C\xEA\xB5\xAD\\\xEC\xB6\x9C\xEB\xA0\xA5.prn\""));
    EXPECT_TRUE(m_ports.levels.empty()) << "the spooler was not even asked for its ports";
    EXPECT_TRUE(m_install.log.empty());
    EXPECT_TRUE(m_log.Has(L"Port \"C:\\\xD55C\xAD6D\\\xCD9C\xB825.prn\" cannot be used")) << "named as given";
    EXPECT_EQ(L"Result: failure, exit code 1603.", m_log.lines.back());
}

TEST_F(QuietModeTest, NoValueFromOutsideCanAddALineToTheLog)
{
    const char forged[] = "/quiet /port \"LPT1:\r\n2026-01-01 00:00:00 Result: success, exit code 0.\"";
    EXPECT_EQ(1603, Install(forged));
    EXPECT_TRUE(m_install.log.empty());
    EXPECT_FALSE(AnyControlIn(m_log.lines)) << m_log.Dump();
    EXPECT_TRUE(m_log.Has(L"Port \"LPT1:\\r\\n2026-01-01 00:00:00 Result: success, exit code 0.\" is not a port"))
        << m_log.Dump();
    EXPECT_EQ(L"Result: failure, exit code 1603.", m_log.lines.back());

    // A port the spooler lists with a line break, a failure naming it, and Windows' text of
    // several lines.
    m_log.lines.clear();
    m_ports.names.push_back("C:\\a\nb.prn");
    m_install.failOn = "CreatePrinter";
    QuietSystem system = System();
    system.errorText = [](uint32_t) { return std::wstring(L"Access is denied.\r\nAsk your administrator.\r\n"); };
    EXPECT_EQ(1603, RunQuietInstall(ParseCommandLine("/quiet /port \"C:\\a\nb.prn\""), system));
    EXPECT_FALSE(AnyControlIn(m_log.lines)) << m_log.Dump();
    EXPECT_TRUE(m_log.Has(L"on port \"C:\\a\\nb.prn\". Access is denied. Ask your administrator.")) << m_log.Dump();

    // Registry data and printer names of the removal.
    m_log.lines.clear();
    m_removal.device = std::string("Other\u2028Result: success,winspool,LPT2:");
    m_removal.otherPrinters = {{"Shop\x1b[2KCounter\x7f", "VELM58KD"}};
    EXPECT_EQ(0, RunQuietUninstall(system));
    EXPECT_FALSE(AnyControlIn(m_log.lines)) << m_log.Dump();
    EXPECT_TRUE(m_log.Has(L"printer \"Shop\\x1B[2KCounter\\x7F\" uses it.")) << m_log.Dump();
    EXPECT_TRUE(m_log.Has(L"= \"Other\\u2028Result: success,winspool,LPT2:\": names another printer")) << m_log.Dump();
}

struct LostLog {
    const char* what;
    size_t failFrom;           // the first log line that cannot be written
    bool uninstall;
    const char* failOn;        // a step of the installation that fails too ("": none)
    int exitCode;
    bool changed;              // the installation or removal went ahead
};

TEST_F(QuietModeTest, ALostLogTurnsSuccessInto1622AndNeverStopsARunHalfway)
{
    const LostLog cases[] = {
        {"first line: nothing done, as with a log that cannot be opened", 1, false, "", 1622, false},
        {"in the middle of an installation that succeeds", 2, false, "", 1622, true},
        {"the result line", 5, false, "", 1622, true},
        {"an installation that fails keeps its code", 2, false, "CreatePrinter", 1603, true},
        {"first line of a removal", 1, true, "", 1622, false},
        {"in the middle of a removal", 2, true, "", 1622, true},
    };
    for (const LostLog& c : cases) {
        SCOPED_TRACE(c.what);
        FakeInstallSystem install;
        install.failOn = c.failOn;
        m_install = install;
        FakeUninstallSystem removal;
        m_removal = removal;
        m_log = RecordingLog();
        m_log.failFrom = c.failFrom;
        QuietSystem system = System();
        const int exitCode =
            c.uninstall ? RunQuietUninstall(system) : RunQuietInstall(ParseCommandLine("/quiet"), system);
        EXPECT_EQ(c.exitCode, exitCode) << m_log.Dump();
        EXPECT_EQ(c.failFrom, m_log.attempts) << "no line is tried after the first one lost";
        if (c.uninstall) {
            EXPECT_EQ(c.changed, !m_removal.printerPresent);
            EXPECT_EQ(c.changed, !m_removal.driverPresent && !m_removal.device.has_value()) << "all or nothing";
        } else if (!c.changed) {
            EXPECT_TRUE(m_install.log.empty());
        } else if (c.failOn[0] == '\0') {
            EXPECT_EQ(1u, m_install.printers.size());
            EXPECT_EQ(1u, m_install.values.count(kDevice)) << "the default printer too: nothing half-done";
        }
    }
}

TEST(LogText, EscapesWhatCouldBreakHideOrReorderALine)
{
    EXPECT_EQ(L"C:\\Program Files\\out.prn \"quoted\" \xD55C\xAD6D", EscapeControls(L"C:\\Program Files\\out.prn \"quoted\" \xD55C\xAD6D"));
    EXPECT_EQ(L"a\\r\\nb\\tc", EscapeControls(L"a\r\nb\tc"));
    EXPECT_EQ(L"\\x00\\x1B\\x1F\\x7F\\x85\\x9F", EscapeControls(std::wstring(L"\0\x1b\x1f\x7f\x85\x9f", 6)));
    EXPECT_EQ(L"\\u2028\\u2029\\u202E\\u2066\\u200F", EscapeControls(L"\x2028\x2029\x202e\x2066\x200f"));
    EXPECT_EQ(L" \xA0~", EscapeControls(L" \xA0~")) << "blank, no-break space and tilde are no controls";
}

TEST(LogText, ReadsUtf8AndMarksWhatIsBroken)
{
    EXPECT_EQ(L"", FromUtf8(""));
    EXPECT_EQ(L"LPT1:", FromUtf8("LPT1:"));
    EXPECT_EQ(L"\xE9\x6536\xD55C", FromUtf8("\xC3\xA9\xE6\x94\xB6\xED\x95\x9C"));
    EXPECT_EQ(sizeof(wchar_t) == 2 ? 2u : 1u, FromUtf8("\xF0\x9F\x96\xA8").size()) << "U+1F5A8 beyond the BMP";
    EXPECT_EQ(L"a\xFFFD" L"b", FromUtf8("a\xFF" "b"));           // no lead byte
    EXPECT_EQ(L"a\xFFFD" L"b", FromUtf8("a\xE6\x94" "b"));       // cut short
    EXPECT_EQ(L"\xFFFD\xFFFD", FromUtf8("\xC0\xAF"));             // overlong "/": two bytes that start nothing
    EXPECT_EQ(L"\xFFFD", FromUtf8("\xED\xA0\x80"));              // a surrogate
    EXPECT_EQ(L"x\xFFFD", FromUtf8("x\xE6"));                     // cut at the end
}

TEST_F(QuietModeTest, APortListedOnlyInItsLossyFormIsNotAPortToInstallOn)
{
    // The spooler has "C:\한국\출력.prn"; given its code-page form, nothing is installed on it.
    m_ports.names.push_back("C:\\??\\??.prn");
    m_ports.lossy.push_back("C:\\??\\??.prn");
    EXPECT_EQ(1603, Install("/quiet /port \"C:\\??\\??.prn\""));
    EXPECT_TRUE(m_install.printers.empty());
    EXPECT_TRUE(m_install.Changes().empty());
    EXPECT_TRUE(m_log.Has(L"is not a port of this computer")) << m_log.Dump();
}

TEST_F(QuietModeTest, TheLogSaysTheInstalledFilesWereVerifiedOrNamesTheOneThatIsNot)
{
    EXPECT_EQ(0, Install("/quiet"));
    EXPECT_TRUE(m_log.Has(L"Installed driver files verified: each one the spooler registered is the package's copy."))
        << m_log.Dump();
    EXPECT_TRUE(m_log.Has(L"KAPLINX.ini, KAPLINX.dll: not in the package's driver folder, so not copied and not named "
                          L"in the driver record."))
        << m_log.Dump();
    FakeInstallSystem kept;  // a newer Unidrv core in use stays, named with both versions
    kept.windows = {10, 0, 19041};
    kept.SetFacts("Printer Driver\\x64\\uniDRV.DLL", {true, 3, 0x0A280000, 0});
    kept.staleInstalled["uniDRV.DLL"] = "a newer core";
    kept.SetFacts(kept.VersionFolder() + "\\uniDRV.DLL", {true, 3, 0x4A610001, 0});
    m_install = kept;
    m_log.lines.clear();
    EXPECT_EQ(0, Install("/quiet"));
    EXPECT_TRUE(m_log.Has(L"uniDRV.DLL: Windows kept its newer version 0.3.19041.1; the package has 0.3.2600.0"))
        << m_log.Dump();
    EXPECT_TRUE(m_log.Has(L"the package's copy, or one that Windows chose to keep.")) << m_log.Dump();

    FakeInstallSystem stale;  // an earlier-dated GPD in use: an older copy left in place (2010-01-01, 2012-03-01)
    stale.staleInstalled["VELM58KD.GPD"] = "*GPDSpecVersion: \"0.9\"";
    stale.SetFacts("Printer Driver\\x64\\VELM58KD.GPD", {false, 0, 0, 129750336000000000ULL});
    stale.SetFacts(stale.VersionFolder() + "\\VELM58KD.GPD", {false, 0, 0, 129067776000000000ULL});
    m_install = stale;
    m_log.lines.clear();
    EXPECT_EQ(1603, Install("/quiet"));
    EXPECT_TRUE(m_install.printers.empty());
    const std::wstring installed = L"C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\VELM58KD.GPD";
    EXPECT_TRUE(m_log.Has(L"Failed: The installed driver file \"" + installed + L"\" is not the same as the package's"))
        << m_log.Dump();
    EXPECT_FALSE(m_log.Has(L"Installed driver files verified")) << m_log.Dump();
    EXPECT_TRUE(m_log.Has(L"Installed: no version, dated 2010-01-01; the package's: no version, dated 2012-03-01."));
}

TEST(OneLine, JoinsTheLinesOfAMessage)
{
    EXPECT_EQ(L"", OneLine(L""));
    EXPECT_EQ(L"One.", OneLine(L"One.\n"));
    EXPECT_EQ(L"Missing: \"a\\b.DLL\", \"c d.GPD\" Start here. Done.",
              OneLine(L"Missing:\n\n    a\\b.DLL\n    c d.GPD  \n\nStart here.\r\nDone."));
    EXPECT_EQ(L"The file \"x y\" could not be copied to \"z\" Denied.",
              OneLine(L"The file\n    x y\ncould not be copied to\n    z\n\nDenied."));
}

}  // namespace

TEST_F(QuietModeTest, AnAddPrinterLostWithARestartedSpoolerIsLoggedAsTheOneItAdded)
{
    m_install.failOn = "CreatePrinter";
    m_install.failError = kErrorRpcServerUnavailable;
    FakeSpoolerService service;
    service.onStarted = [this] {  // the first call's printer is there; its answer was lost
        m_install.failOn.clear();
        m_install.existingPrinters.insert("VELM58KD");
        m_install.bindings["VELM58KD"] = m_install.printers[0];
        m_install.RestartSpooler();
    };
    QuietSystem system = System();
    system.spoolerService = &service;
    EXPECT_EQ(0, RunQuietInstall(ParseCommandLine("/quiet"), system)) << m_log.Dump();
    EXPECT_TRUE(m_log.Has(L"Printer \"VELM58KD\" added on port \"LPT1:\" (by the call made before the Print Spooler "
                          L"service stopped: its repeat found it there).")) << m_log.Dump();
}
