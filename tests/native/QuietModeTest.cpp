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

    QuietSystem System(HostArchitecture host = HostArchitecture::X64)
    {
        return QuietSystem{m_install,
                           m_install,
                           m_install,
                           m_ports,
                           m_removal,
                           m_log,
                           host,
                           Widen,
                           [](uint32_t code) { return L"<text of " + std::to_wstring(code) + L">"; },
                           L"REGISTRY-MESSAGE"};
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
        EXPECT_EQ("DeleteDriver " + host.second + " VELM58KD", m_removal.log[3]);
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
