// The installation against Wine's real spooler, file system and registry, with the real
// Win32 adapters, run from a copy of the sample driver package as the current directory.
#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "InstallationWineSupport.h"
#include "WineTestSupport.h"
#include "win/Messages_win32.h"
#include "install/InstallSystem_win32.h"
#include "install/Installation.h"
#include "ui/InstallMessages.h"

namespace {

class RecordingFeedback : public InstallFeedback {
public:
    std::vector<int> progress;
    int registryMessages = 0;
    void SetProgress(int position) override { progress.push_back(position); }
    void ShowRegistryMessage() override { ++registryMessages; }
    void Pause(int) override {}
};

class InstallationUnderWine : public testing::Test {
protected:
    void SetUp() override
    {
        m_package = MakeTempDir("install-package");
        ASSERT_FALSE(m_package.empty());
        ASSERT_TRUE(CopyTree(SamplePackageDir(), m_package));
        ASSERT_TRUE(m_directory.Enter(m_package));
        RemovePrinterAndDriver();
        m_savedCom2 = RegistryString(HKEY_LOCAL_MACHINE, kPortsKey, "COM2:");
    }
    void TearDown() override
    {
        RemovePrinterAndDriver();
        if (m_savedCom2 != "<none>")
            SetRegistryString(HKEY_LOCAL_MACHINE, kPortsKey, "COM2:", m_savedCom2);
    }

    InstallOutcome Install(const InstallChoices& choices)
    {
        InstallSystem system{m_spooler, m_files, m_registry, m_feedback};
        return RunInstallation(choices, system);
    }

    static InstallChoices Choices(const std::string& port = "LPT1:")
    {
        InstallChoices choices;
        choices.host = OnWindowsX64() ? HostArchitecture::X64 : HostArchitecture::X86;
        choices.port = port;
        return choices;
    }

    Win32DriverSpooler m_spooler;
    Win32PackageFiles m_files;
    Win32RegistryWriter m_registry;
    RecordingFeedback m_feedback;
    CurrentDirectoryRestorer m_directory;
    std::string m_package, m_savedCom2;
};

}  // namespace

TEST_F(InstallationUnderWine, RegistersTheDriverAndAddsThePrinterOnThePort)
{
    InstallOutcome outcome = Install(Choices("LPT1:"));
    ASSERT_TRUE(outcome.succeeded) << static_cast<int>(outcome.failedStep) << " error " << outcome.errorCode;
    EXPECT_EQ(std::vector<int>({10, 20, 30, 40, 50, 60, 70, 80, 90, 95, 100}), m_feedback.progress);

    InstalledDriver driver = FindDriver(HostEnvironment());
    ASSERT_TRUE(driver.found);
    EXPECT_EQ(HostEnvironment(), driver.environment);
    EXPECT_EQ(3u, driver.version) << "the spooler reports the user-mode version the record gives";
    EXPECT_TRUE(EndsWith(driver.driverPath, "\\uniDRV.DLL")) << driver.driverPath;
    EXPECT_TRUE(EndsWith(driver.dataFile, "\\VELM58KD.GPD")) << driver.dataFile;
    EXPECT_TRUE(EndsWith(driver.configFile, "\\uniDRVui.DLL")) << driver.configFile;
    EXPECT_TRUE(EndsWith(driver.helpFile, "\\uniDRV.HLP")) << driver.helpFile;
    // The sample package has no KAPLINX files, so the record does not name them.
    ASSERT_EQ(4u, driver.dependentFiles.size());
    const char* dependent[] = {"ttfsub.GPD", "unires.DLL", "stdnames.GPD", "QRX58.DLL"};
    for (size_t i = 0; i < 4; ++i)
        EXPECT_TRUE(EndsWith(driver.dependentFiles[i], dependent[i])) << driver.dependentFiles[i];
    // Wine registers files that are not there; Windows does not. Every file the registered record
    // names is in the driver directory, and in the version folder the spooler reports.
    const std::string directory = DriverDirectory(HostEnvironment());
    std::vector<std::string> named = {driver.driverPath, driver.dataFile, driver.configFile, driver.helpFile};
    named.insert(named.end(), driver.dependentFiles.begin(), driver.dependentFiles.end());
    for (const std::string& path : named) {
        EXPECT_TRUE(FileExists(path)) << path;
        EXPECT_TRUE(FileExists(directory + "\\" + path.substr(path.find_last_of('\\') + 1))) << path;
    }

    InstalledPrinter printer = FindPrinter();
    ASSERT_TRUE(printer.found);
    EXPECT_EQ("LPT1:", printer.port);
    EXPECT_EQ(kDriver, printer.driver);
}

TEST_F(InstallationUnderWine, TheDriverDirectoryHoldsThePackageFiles)
{
    const std::string directory = DriverDirectory(HostEnvironment());
    ASSERT_FALSE(directory.empty());
    DeletePackageFiles(directory);
    ASSERT_TRUE(Install(Choices()).succeeded);
    for (const char* name : kPackageFiles) {
        std::string source = ReadFileText(m_package + "\\" + HostDriverFolder() + "\\" + name);
        ASSERT_FALSE(source.empty()) << name;
        EXPECT_EQ(source, ReadFileText(directory + "\\" + name)) << name;
    }
    // What the spooler decides "newer" by: a copy keeps its source's date; a GPD has no version,
    // a system DLL has one (version.dll's VS_FIXEDFILEINFO).
    DriverFileFacts source, copy, dll;
    ASSERT_EQ(0u, m_files.ReadFacts(HostDriverFolder() + "\\VELM58KD.GPD", source));
    ASSERT_EQ(0u, m_files.ReadFacts(directory + "\\VELM58KD.GPD", copy));
    EXPECT_TRUE(source.writeTime != 0 && source.writeTime == copy.writeTime && !source.hasVersion);
    char system[MAX_PATH] = {};
    ASSERT_NE(0u, GetSystemDirectoryA(system, MAX_PATH));
    EXPECT_EQ(0u, m_files.ReadFacts(std::string(system) + "\\winspool.drv", dll));
    EXPECT_TRUE(dll.hasVersion && (dll.versionMS | dll.versionLS) != 0);
}

TEST_F(InstallationUnderWine, TheX86EnvironmentGoesToItsOwnDirectory)
{
    const std::string directory = DriverDirectory("Windows NT x86");
    ASSERT_TRUE(EndsWith(directory, "\\w32x86")) << directory;
    DeletePackageFiles(directory);
    InstallChoices choices = Choices();
    choices.host = HostArchitecture::X86;
    InstallOutcome outcome = Install(choices);
    for (const char* name : kPackageFiles)
        EXPECT_EQ(ReadFileText(m_package + "\\Printer Driver\\x86\\" + name), ReadFileText(directory + "\\" + name))
            << name;
    EXPECT_TRUE(FindDriver("Windows NT x86").found);
    // A 64-bit system adds no printer whose driver it has only for x86 (Wine answers error 87):
    // the outcome must say so, at that step, rather than carry on.
    if (!outcome.succeeded) {
        EXPECT_EQ(InstallStep::AddPrinter, outcome.failedStep);
        EXPECT_NE(0u, outcome.errorCode);
        EXPECT_EQ(std::vector<int>({10, 20, 30, 40, 50, 60, 70}), m_feedback.progress);
    }
}

TEST_F(InstallationUnderWine, SetsTheDefaultPrinterAndCreatesAMissingWindowsKey)
{
    RegDeleteKeyA(HKEY_CURRENT_USER, kWindowsKey);
    ASSERT_TRUE(Install(Choices("LPT1:")).succeeded);
    DWORD size = 0;
    EXPECT_EQ("VELM58KD,winspool,LPT1:", RegistryString(HKEY_CURRENT_USER, kWindowsKey, "Device", &size));
    EXPECT_EQ(24u, size);
    EXPECT_EQ(0, m_feedback.registryMessages);
}

TEST_F(InstallationUnderWine, AClearedCheckBoxLeavesDeviceAsItWas)
{
    SetDeviceValue("Other,winspool,FILE:");
    InstallChoices choices = Choices("LPT1:");
    choices.setDefaultPrinter = false;
    ASSERT_TRUE(Install(choices).succeeded);
    EXPECT_EQ("Other,winspool,FILE:", DeviceValue());
}

TEST_F(InstallationUnderWine, WritesTheSerialSettingsForAComPortOnly)
{
    SetRegistryString(HKEY_LOCAL_MACHINE, kPortsKey, "COM2:", "marker");
    InstallChoices lpt = Choices();
    lpt.portComboIndex = 2;  // LPT3
    lpt.baudIndex = 8;
    ASSERT_TRUE(Install(lpt).succeeded);
    EXPECT_EQ("marker", RegistryString(HKEY_LOCAL_MACHINE, kPortsKey, "COM2:"));
    EXPECT_EQ("", RegistryString(HKEY_LOCAL_MACHINE, kPortsKey, "LPT3:"));

    InstallChoices com = Choices();
    com.portComboIndex = 4;  // COM2
    com.flowIndex = 0;
    com.stopBitsIndex = 1;
    ASSERT_TRUE(Install(com).succeeded);
    DWORD size = 0;
    EXPECT_EQ("19200,N,8,1.5, ", RegistryString(HKEY_LOCAL_MACHINE, kPortsKey, "COM2:", &size));
    EXPECT_EQ(16u, size);
}

TEST_F(InstallationUnderWine, ASecondRunRepairsTheInstallation)
{
    ASSERT_TRUE(Install(Choices("LPT1:")).succeeded);
    const std::string copied = DriverDirectory(HostEnvironment()) + "\\UNIRES.DLL";
    SetDeviceValue("stale");
    HANDLE file = CreateFileA(copied.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);

    InstallOutcome second = Install(Choices("COM1:"));
    ASSERT_TRUE(second.succeeded) << static_cast<int>(second.failedStep) << " error " << second.errorCode;
    EXPECT_EQ(ReadFileText(m_package + "\\" + HostDriverFolder() + "\\UNIRES.DLL"), ReadFileText(copied));
    EXPECT_TRUE(FindDriver(HostEnvironment()).found);
    EXPECT_EQ("COM1:", FindPrinter().port);
    EXPECT_EQ("VELM58KD,winspool,COM1:", DeviceValue());
}

// The spooler's own error reaches the message: Wine's AddPrinterA would have replaced it with
// 87 (its clean-up's free() fails), as the 32-bit program met in a WOW64 prefix.
TEST_F(InstallationUnderWine, AnUnknownDriverFailsWithTheSpoolersOwnError)
{
    PrinterRecord record = {kDriver, "LPT1:", "NO SUCH DRIVER", "WinPrint", "RAW"};
    PrinterHandle printer = nullptr;
    EXPECT_EQ(static_cast<uint32_t>(ERROR_UNKNOWN_PRINTER_DRIVER), m_spooler.CreatePrinter(record, printer));
    EXPECT_EQ(nullptr, printer);
    EXPECT_FALSE(FindPrinter().found);
}

TEST_F(InstallationUnderWine, AnExistingPrinterCanBeMovedToAnotherPort)
{
    // Windows answers a second AddPrinter with ERROR_PRINTER_ALREADY_EXISTS, Wine does not:
    // the repair's own calls are run directly here.
    ASSERT_TRUE(Install(Choices("LPT1:")).succeeded);
    PrinterHandle printer = nullptr;
    ASSERT_EQ(0u, m_spooler.OpenExistingPrinter(kDriver, printer));
    PrinterRecord record;
    record.printerName = kDriver;
    record.driverName = kDriver;
    record.portName = "LPT2:";
    EXPECT_EQ(0u, m_spooler.RebindPrinter(printer, record));
    m_spooler.ClosePrinter(printer);
    InstalledPrinter moved = FindPrinter();
    EXPECT_EQ("LPT2:", moved.port);
    EXPECT_EQ(kDriver, moved.driver);
}

TEST_F(InstallationUnderWine, AMissingPackageFileChangesNothing)
{
    const std::string directory = DriverDirectory(HostEnvironment());
    DeleteFileA((directory + "\\QRX58.DLL").c_str());
    ASSERT_TRUE(DeleteFileA((m_package + "\\" + HostDriverFolder() + "\\TTFSUB.GPD").c_str()));
    InstallOutcome outcome = Install(Choices());
    EXPECT_EQ(InstallStep::CheckPackage, outcome.failedStep);
    EXPECT_EQ(std::vector<std::string>({HostDriverFolder() + "\\TTFSUB.GPD"}), outcome.missingFiles);
    EXPECT_FALSE(FileExists(directory + "\\QRX58.DLL"));
    EXPECT_FALSE(FindDriver(HostEnvironment()).found);
    EXPECT_FALSE(FindPrinter().found);
    EXPECT_TRUE(m_feedback.progress.empty());
}

TEST_F(InstallationUnderWine, TheSpoolerNamesTheSizeItNeedsForTheDriverDirectory)
{
    char small[4] = {};
    uint32_t needed = 0;
    EXPECT_EQ(static_cast<uint32_t>(ERROR_INSUFFICIENT_BUFFER),
              m_spooler.GetDriverDirectory(HostEnvironment(), small, sizeof(small), needed));
    EXPECT_GT(needed, sizeof(small));
}

TEST_F(InstallationUnderWine, AFailedCopyIsDescribedWithWindowsOwnText)
{
    // A folder where the copy's destination should be makes CopyFile fail.
    const std::string directory = DriverDirectory(HostEnvironment());
    const std::string blocked = directory + "\\UNIDRV.HLP";
    DeleteFileA(blocked.c_str());
    ASSERT_TRUE(CreateDirectoryA(blocked.c_str(), nullptr));
    InstallOutcome outcome = Install(Choices());
    RemoveDirectoryA(blocked.c_str());

    EXPECT_EQ(InstallStep::CopyFile, outcome.failedStep);
    EXPECT_EQ(HostDriverFolder() + "\\UNIDRV.HLP", outcome.subject);
    EXPECT_NE(0u, outcome.errorCode);
    EXPECT_EQ(std::vector<int>({10, 20, 30}), m_feedback.progress);
    EXPECT_FALSE(FindDriver(HostEnvironment()).found);
    std::wstring text = DescribeInstallFailure(outcome);
    EXPECT_NE(std::wstring::npos, text.find(Utf16((HostDriverFolder() + "\\UNIDRV.HLP").c_str())));
    EXPECT_NE(std::wstring::npos, text.find(Win32ErrorText(outcome.errorCode)));
}

TEST(InstallMessagesUnderWine, TheRegistryMessageReadsRightThroughTheUnicodeApi)
{
    std::wstring shown;
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](LPVOID param) WINAPI -> DWORD {  // WINAPI: stdcall on 32-bit Windows
            auto* text = static_cast<std::wstring*>(param);
            HWND box = nullptr;
            const std::wstring title = AppTitle();
            WaitUntil([&] { return (box = FindWindowW(L"#32770", title.c_str())) != nullptr; });
            if (!box)
                return 1;
            HWND label = FindWindowExW(box, nullptr, L"Static", nullptr);
            for (; label; label = FindWindowExW(box, label, L"Static", nullptr)) {
                wchar_t buffer[256] = {};
                GetWindowTextW(label, buffer, 256);
                if (buffer[0])
                    *text = buffer;
            }
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            return 0;
        },
        &shown, 0, nullptr);
    ShowRegistryFailure(nullptr);
    WaitForSingleObject(thread, 15000);
    CloseHandle(thread);
    EXPECT_EQ(std::wstring(L"错误：无法设置有关的注册表信息"), shown);
}
