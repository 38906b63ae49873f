#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <cstring>

#include "FakeInstallSystem.h"
#include "UninstallFake.h"
#include "app/QuietMode.h"

namespace {

// The local ports as EnumPortsA level 2 packs them: records first, their texts after them,
// ERROR_INSUFFICIENT_BUFFER with the needed size for too small a buffer.
class ListedPorts : public IPortSpooler {
public:
    std::vector<std::string> names;
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

class RecordingLog : public QuietLog {
public:
    std::vector<std::wstring> lines;
    void Write(const std::wstring& line) override { lines.push_back(line); }
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

class QuietModeTest : public testing::Test {
protected:
    QuietModeTest()
    {
        m_ports.names = {"COM1:", "COM2:", "FILE:", "LPT1:", "C:\\my out.prn"};
    }

    QuietSystem System(bool x64 = true)
    {
        QuietSystem system{m_install,
                                  m_install,
                                  m_install,
                                  m_ports,
                           m_removal,
                           m_log,
                           x64,
                           Widen,
                           [](uint32_t code) { return L"<text of " + std::to_wstring(code) + L">"; },
                           L"REGISTRY-MESSAGE"};
        system.xcv = &m_xcv;
        system.accounts = m_accounts;
        return system;
    }

    int Install(const char* commandLine, bool x64 = true)
    {
        CommandLineOptions options = ParseCommandLine(commandLine);
        EXPECT_EQ(CommandMode::QuietInstall, options.mode) << options.error;
        QuietSystem system = System(x64);
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

TEST_F(QuietModeTest, ASpoolerThatListsNoPortsInstallsNothing)
{
    m_ports.failure = 1722;  // RPC_S_SERVER_UNAVAILABLE: the spooler is not running
    EXPECT_EQ(1603, Install("/quiet"));
    EXPECT_TRUE(m_install.log.empty());
    EXPECT_TRUE(m_log.Has(L"(the print spooler lists none)")) << m_log.Dump();
}

TEST_F(QuietModeTest, AMissingPackageFileFailsNamingTheFileAndChangesNothing)
{
    m_install.missing.insert("Printer Driver\\x86\\UNIRES.DLL");
    EXPECT_EQ(1603, Install("/quiet", false));
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

TEST_F(QuietModeTest, TheDefaultPrinterFollowsThePersonAtTheDesktop)
{
    struct Accounts : AccountQuery {
        const char* shell = "S-1-5-21-7-7-7-1001";
        bool ProcessAccount(std::string& sid) override { return sid = "S-1-5-18", true; }
        bool DesktopShellAccount(std::string& sid) override { return shell != nullptr && (sid = shell, true); }
    } accounts;
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

TEST_F(QuietModeTest, UninstallUsesTheHostsEnvironmentAndLogsEachStep)
{
    for (bool x64 : {true, false}) {
        SCOPED_TRACE(x64);
        FakeUninstallSystem fresh;
        m_removal = fresh;
        m_log.lines.clear();
        QuietSystem system = System(x64);
        EXPECT_EQ(0, RunQuietUninstall(system));
        EXPECT_EQ(x64 ? "DeleteDriver Windows x64 VELM58KD" : "DeleteDriver Windows NT x86 VELM58KD", m_removal.log[3]);
        EXPECT_TRUE(m_log.Has(L"Printer \"VELM58KD\": removed.")) << m_log.Dump();
        EXPECT_TRUE(m_log.Has(L"Default printer value \"Device\" = \"VELM58KD,winspool,LPT1:\": removed."))
            << m_log.Dump();
        EXPECT_EQ(L"Result: success, exit code 0.", m_log.lines.back());
    }
}

TEST_F(QuietModeTest, UninstallOfWhatStaysFailsWithTheReason)
{
    m_removal.failOn = "DeleteDriver";
    m_removal.failError = 3001;
    QuietSystem system = System();
    EXPECT_EQ(1603, RunQuietUninstall(system));
    EXPECT_TRUE(m_log.Has(L"Driver \"VELM58KD (Windows x64)\": could not be removed. <text of 3001> (error 3001)"))
        << m_log.Dump();

    FakeUninstallSystem empty;
    empty.printerPresent = empty.driverPresent = false;
    empty.device.reset();
    m_removal = empty;
    m_log.lines.clear();
    EXPECT_EQ(0, RunQuietUninstall(system)) << "nothing there is removed already";
    EXPECT_TRUE(m_log.Has(L"Printer \"VELM58KD\": not present.")) << m_log.Dump();
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
