// The unattended install and removal under Wine: the real PrinterSetup.exe, started with
// options from a copy of the sample driver package as its current directory, as a deployment
// tool starts it. The exit code, the log and the prefix's spooler, driver directory and
// registry show what it did.
#include <windows.h>
#include <winspool.h>

#include <msi.h>
#include <msiquery.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "InstallationWineSupport.h"
#include "system/DesktopAccount_win32.h"
#include "system/TextConversion_win32.h"
#include "ports/XcvPorts_win32.h"
#include "WineTestSupport.h"
#include "win/Messages_win32.h"
#include "res/resource.h"

namespace {

const char kSentinelDevice[] = "Earlier,winspool,FILE:";
// A port with a blank in its name, made known to the local port monitor through its registry list.
const char kSpacedPort[] = "C:\\quiet out.prn";
// A second printer of our driver, as a shop sets one up for its counter.
const char kSecondPrinter[] = "Shop Counter";

// Korean names, which the zh_CN code page (936) of the tests' Wine cannot hold.
const char kKoreanFolder[] = "\xED\x95\x9C\xEA\xB5\xAD \xEB\xA1\x9C\xEA\xB7\xB8";  // "한국 로그"
const char kKoreanPortName[] = "\xEC\xB6\x9C\xEB\xA0\xA5.prn";                          // "출력.prn"

bool FitsCodePage(const std::wstring& text)
{
    BOOL usedDefault = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, nullptr, 0, nullptr, &usedDefault);
    return !usedDefault;
}

void DeletePrinterNamed(const char* name)
{
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (OpenPrinterA(const_cast<char*>(name), &printer, &defaults)) {
        DeletePrinter(printer);
        ClosePrinter(printer);
    }
}

// A 32-bit program in a WOW64 prefix (the 32-bit lane) installs for "Windows x64", but Wine's in-process
// AddPrinterW looks the driver up under the caller's own environment, "Windows NT x86", where Windows' spooler
// service looks under its own (winspool.drv's AddPrinterW, through WINSPOOL_OpenDriverReg(NULL)). Its key
// there, and nothing else, lets the rest of the run go on as on Windows.
bool UnderWow64() { return sizeof(void*) == 4 && OnWindowsX64(); }
const char kWineX86DriverKey[] = "System\\CurrentControlSet\\control\\Print\\Environments\\Windows NT x86\\Drivers\\Version-3\\VELM58KD";

class QuietMode : public testing::Test {
protected:
    void SetUp() override
    {
        m_folder = MakeTempDir("quiet");
        ASSERT_FALSE(m_folder.empty());
        ASSERT_TRUE(CopyTree(SamplePackageDir(), m_folder));
        m_savedDevice = DeviceValue();
        RemovePrinterAndDriver();
        DeletePackageFiles(DriverDirectory(HostEnvironment()));
        SetDeviceValue(kSentinelDevice);
        HKEY key = nullptr;
        if (UnderWow64() && RegCreateKeyA(HKEY_LOCAL_MACHINE, kWineX86DriverKey, &key) == ERROR_SUCCESS)
            RegCloseKey(key);
    }

    void TearDown() override
    {
        DeletePrinterNamed(kSecondPrinter);
        RemovePrinterAndDriver();
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kWineX86DriverKey);
        RemoveSpacedPort();
        HKEY key = nullptr;
        if (m_savedDevice != "<none>")
            SetDeviceValue(m_savedDevice);
        else if (RegOpenKeyExA(HKEY_CURRENT_USER, kWindowsKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, "Device");
            RegCloseKey(key);
        }
    }

    // Runs the program to its end; STILL_ACTIVE when it did not end in time (it is killed then).
    DWORD Run(const std::string& arguments, int timeoutMs = 30000)
    {
        StartedProgram program;
        if (!StartProgram(m_folder + "\\PrinterSetup.exe", arguments, m_folder, program))
            return 0xFFFFFFFF;
        return program.WaitForExit(timeoutMs);
    }

    // The same with arguments in any script, as a deployment tool passes them in Unicode.
    DWORD RunW(const std::wstring& arguments, int timeoutMs = 30000)
    {
        const std::wstring exe = Utf16((m_folder + "\\PrinterSetup.exe").c_str());
        std::wstring line = L"\"" + exe + L"\" " + arguments;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        if (!CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                            Utf16(m_folder.c_str()).c_str(), &startup, &info))
            return 0xFFFFFFFF;
        CloseHandle(info.hThread);
        StartedProgram program;
        program.process = info.hProcess;
        program.pid = info.dwProcessId;
        return program.WaitForExit(timeoutMs);
    }

    std::string Log() const { return ReadFileText(m_folder + "\\q.log"); }

    // Nothing of the installation is on the system.
    void ExpectNothingInstalled()
    {
        EXPECT_FALSE(FindPrinter().found);
        EXPECT_FALSE(FindDriver(HostEnvironment()).found);
        for (const char* name : kPackageFiles)
            EXPECT_FALSE(FileExists(DriverDirectory(HostEnvironment()) + "\\" + name)) << name;
        EXPECT_EQ(kSentinelDevice, DeviceValue());
    }

    static void RemoveSpacedPort()
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPortsKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, kSpacedPort);
            RegCloseKey(key);
        }
    }

    std::string m_folder;
    std::string m_savedDevice;
};

TEST_F(QuietMode, InstallLeavesWhatTheWizardLeavesAndLogsItInUtf8)
{
    ASSERT_EQ(0u, Run("/quiet /log q.log"));

    InstalledDriver driver = FindDriver(HostEnvironment());
    ASSERT_TRUE(driver.found);
    EXPECT_TRUE(EndsWith(driver.dataFile, "\\VELM58KD.GPD")) << driver.dataFile;
    EXPECT_TRUE(EndsWith(driver.driverPath, "\\uniDRV.DLL")) << driver.driverPath;
    InstalledPrinter printer = FindPrinter();
    ASSERT_TRUE(printer.found);
    EXPECT_EQ("LPT1:", printer.port);
    EXPECT_EQ(kDriver, printer.driver);
    EXPECT_EQ("WinPrint", printer.printProcessor);
    const std::string directory = DriverDirectory(HostEnvironment());
    for (const char* name : kPackageFiles)
        EXPECT_EQ(ReadFileText(m_folder + "\\" + HostDriverFolder() + "\\" + name), ReadFileText(directory + "\\" + name))
            << name;
    EXPECT_EQ("VELM58KD,winspool,LPT1:", DeviceValue());

    const std::string log = Log();
    EXPECT_EQ(0u, log.find("\xEF\xBB\xBF")) << "a UTF-8 byte-order mark first";
    EXPECT_NE(std::string::npos, log.find("Printer \"VELM58KD\" added on port \"LPT1:\".\r\n")) << log;
    EXPECT_NE(std::string::npos, log.find("Result: success, exit code 0.\r\n")) << log;
    EXPECT_NE(std::string::npos, log.find("This program is not sealed (a developer build)")) << log;
    EXPECT_EQ(log.find("not sealed"), log.rfind("not sealed")) << "said once";

    // A second run succeeds as well and appends to the log.
    ASSERT_EQ(0u, Run("/quiet /log q.log"));
    const std::string both = Log();
    EXPECT_EQ(0u, both.find(log)) << "the first run's lines stay";
    EXPECT_NE(std::string::npos, both.find("Result: success, exit code 0.", log.size())) << both;
    EXPECT_EQ(std::string::npos, both.find("\xEF\xBB\xBF", 1)) << "one byte-order mark, at the start";
}

// What the lane cannot show: without the key of the class above, Wine's spooler refuses the
// x64 printer to the 32-bit program (Windows' would add it). Everything before it is as on
// Windows, and the error is the spooler's own, not Wine's AddPrinterA's 87.
TEST_F(QuietMode, UnderWow64WinesSpoolerRefusesTheX64PrinterWithItsOwnError)
{
    if (!UnderWow64())
        GTEST_SKIP() << "only a 32-bit program under WOW64 (the 32-bit lane's WOW64 prefix) meets this";
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kWineX86DriverKey);
    EXPECT_EQ(1603u, Run("/quiet /log q.log"));
    EXPECT_TRUE(FindDriver("Windows x64").found);
    EXPECT_FALSE(FindPrinter().found);
    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("could not be added on port \"LPT1:\".")) << log;
    EXPECT_NE(std::string::npos, log.find(Utf8Of(Win32ErrorText(ERROR_UNKNOWN_PRINTER_DRIVER)))) << log;
    EXPECT_EQ(std::string::npos, log.find(Utf8Of(Win32ErrorText(ERROR_INVALID_PARAMETER)))) << log;
}

TEST_F(QuietMode, NoDefaultOnAnotherPortLeavesTheDefaultPrinterAlone)
{
    ASSERT_EQ(0u, Run("-QUIET -NoDefault -Port com2:"));
    InstalledPrinter printer = FindPrinter();
    ASSERT_TRUE(printer.found);
    EXPECT_EQ("COM2:", printer.port) << "the spooler's spelling of the port";
    EXPECT_EQ(kSentinelDevice, DeviceValue());
}

TEST_F(QuietMode, APortNameWithBlanksComesQuoted)
{
    SetRegistryString(HKEY_LOCAL_MACHINE, kPortsKey, kSpacedPort, "");
    ASSERT_EQ(0u, Run(std::string("/quiet /nodefault /port \"") + kSpacedPort + "\" /log q.log")) << Log();
    InstalledPrinter printer = FindPrinter();
    ASSERT_TRUE(printer.found);
    EXPECT_EQ(kSpacedPort, printer.port);
}

// A top-level window of this process that notes each WM_SETTINGCHANGE another process
// broadcasts, with the "Device" value as it stood when the message came.
struct SettingChange {
    std::string section;
    std::string deviceThen;
};
std::vector<SettingChange> g_settingChanges;

LRESULT CALLBACK SettingListener(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTINGCHANGE)
        g_settingChanges.push_back({lParam != 0 ? reinterpret_cast<const char*>(lParam) : "", DeviceValue()});
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(QuietMode, TheNewDefaultPrinterIsAnnouncedToTheWindowsOfOtherPrograms)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = SettingListener;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "SettingListener";
    RegisterClassA(&windowClass);
    HWND listener = CreateWindowExA(0, "SettingListener", "listener", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                    windowClass.hInstance, nullptr);
    ASSERT_NE(nullptr, listener);
    g_settingChanges.clear();

    StartedProgram program;
    ASSERT_TRUE(StartProgram(m_folder + "\\PrinterSetup.exe", "/quiet /log q.log", m_folder, program));
    // The broadcast is a sent message: it arrives only while this thread takes its messages.
    DWORD exitCode = STILL_ACTIVE;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 30000) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        if (MsgWaitForMultipleObjects(1, &program.process, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0) {
            GetExitCodeProcess(program.process, &exitCode);
            break;
        }
    }
    DestroyWindow(listener);
    ASSERT_EQ(0u, exitCode) << Log();
    EXPECT_EQ("VELM58KD,winspool,LPT1:", DeviceValue());
    bool announced = false;
    for (const SettingChange& change : g_settingChanges) {
        if (lstrcmpiA(change.section.c_str(), "windows") != 0)
            continue;
        announced = true;
        EXPECT_EQ("VELM58KD,winspool,LPT1:", change.deviceThen) << "announced after the value was written";
    }
    EXPECT_TRUE(announced) << g_settingChanges.size() << " setting changes, none for \"windows\"";

    // Why HKCU was right here: the account adapter finds this user at the desktop too.
    Win32AccountQuery accounts;
    std::string own, shell;
    ASSERT_TRUE(accounts.ProcessAccount(own));
    EXPECT_EQ(0u, own.find("S-1-5-")) << own;
    ASSERT_TRUE(accounts.DesktopShellAccount(shell));
    EXPECT_EQ(own, shell);
}

TEST_F(QuietMode, TcpWithoutTheTcpIpMonitorFailsNamingItAndChangesNothing)
{
    // Wine has no Standard TCP/IP Port monitor.
    EXPECT_EQ(1603u, Run("/quiet /tcp 192.168.1.50 /log q.log"));
    ExpectNothingInstalled();
    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("The \"Standard TCP/IP Port\" port monitor is not available on this computer"))
        << log;
    EXPECT_NE(std::string::npos, log.find("(error 1796)")) << log;
    EXPECT_NE(std::string::npos, log.find("Result: failure, exit code 1603.")) << log;
    EXPECT_EQ(87u, Run("/quiet /tcp 192.168.1.50 /port LPT1: /log q.log", 10000));
    EXPECT_EQ(87u, Run("/quiet /tcp printer_1 /log q.log", 10000));
    ExpectNothingInstalled();
}

std::vector<std::string> SpoolerPortNames()
{
    DWORD needed = 0, count = 0;
    EnumPortsA(nullptr, 1, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    std::vector<std::string> names;
    if (needed != 0 && EnumPortsA(nullptr, 1, buffer.data(), needed, &needed, &count))
        for (DWORD i = 0; i < count; ++i)
            names.push_back(reinterpret_cast<PORT_INFO_1A*>(buffer.data())[i].pName);
    return names;
}

// The Xcv plumbing that /tcp uses, through the one monitor Wine has: the local port monitor
// takes the new port's name (UTF-16) as its "AddPort" input.
TEST(XcvPorts, TheLocalPortMonitorAddsAPortAndKnowsItTheSecondTime)
{
    const char name[] = "C:\\xcv added.prn";
    std::vector<uint8_t> input;
    for (const char* c = name; ; ++c) {
        input.push_back(static_cast<uint8_t>(*c));
        input.push_back(0);
        if (*c == '\0')
            break;
    }
    Win32XcvPorts xcv;
    XcvAddPortResult first = xcv.AddPort("Local Port", input);
    EXPECT_TRUE(first.monitorOpened);
    EXPECT_EQ(0u, first.error);
    std::vector<std::string> ports = SpoolerPortNames();
    EXPECT_NE(ports.end(), std::find(ports.begin(), ports.end(), name));

    XcvAddPortResult second = xcv.AddPort("Local Port", input);
    EXPECT_TRUE(second.monitorOpened);
    EXPECT_EQ(183u, second.error) << "ERROR_ALREADY_EXISTS, as /tcp reads it";

    XcvAddPortResult missing = xcv.AddPort("No Such Monitor", input);
    EXPECT_FALSE(missing.monitorOpened);
    EXPECT_NE(0u, missing.error);

    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPortsKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, name);
        RegCloseKey(key);
    }
}

TEST_F(QuietMode, APortTheSpoolerDoesNotListFailsAndChangesNothing)
{
    EXPECT_EQ(1603u, Run("/quiet /port NOSUCH: /log q.log"));
    ExpectNothingInstalled();
    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("Port \"NOSUCH:\" is not a port of this computer")) << log;
    EXPECT_NE(std::string::npos, log.find("LPT1:")) << "the ports there are, for the admin";
    EXPECT_NE(std::string::npos, log.find("Result: failure, exit code 1603.")) << log;
}

// The spooler's calls fail as on a Windows whose Spooler service is disabled: the log says so
// and how to change it, where it used to report a computer without ports.
TEST_F(QuietMode, ADisabledSpoolerServiceIsNamedEndsAt1603AndIsLeftDisabled)
{
    SpoolerTakenAway away("PrinterSetup.exe", SERVICE_DISABLED);
    ASSERT_TRUE(away.Ready());
    EXPECT_EQ(1603u, Run("/quiet /port COM2: /log q.log"));
    EXPECT_EQ(1603u, Run("/quiet /uninstall /log q.log"));
    DWORD startType = 0, state = 0;
    ASSERT_TRUE(SpoolerTakenAway::ServiceNow(startType, state));
    EXPECT_EQ(static_cast<DWORD>(SERVICE_DISABLED), startType);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), state);
    ExpectNothingInstalled();
    const std::string log = Log();
    const std::string disabled = "Failed: The Print Spooler service is disabled. Printers cannot be installed or "
                                 "removed until it is set to Automatic and started: open Services (services.msc)";
    const size_t install = log.find(disabled);
    EXPECT_NE(std::string::npos, install) << log;
    EXPECT_NE(std::string::npos, log.find("Nothing was installed.", install)) << log;
    EXPECT_NE(std::string::npos, log.find(disabled, install + 1)) << "the removal says it too: " << log;
    EXPECT_EQ(std::string::npos, log.find("is not a port of this computer")) << log;
    EXPECT_EQ(std::string::npos, log.find("starting it")) << log;
}

TEST_F(QuietMode, AMissingPackageFileFailsNamingItAndChangesNothing)
{
    ASSERT_TRUE(DeleteFileA((m_folder + "\\" + HostDriverFolder() + "\\UNIRES.DLL").c_str()));
    EXPECT_EQ(1603u, Run("/quiet /log q.log"));
    ExpectNothingInstalled();
    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("The driver package is incomplete.")) << log;
    EXPECT_NE(std::string::npos, log.find("\"" + HostDriverFolder() + "\\UNIRES.DLL\"")) << log;
}

// A help file grown to 400 MB (zeros after its text): more than a whole-file read would take.
TEST_F(QuietMode, AHelpFileOf400MegabytesInstallsAndIsReadBackInPieces)
{
    std::filesystem::resize_file(m_folder + "\\" + HostDriverFolder() + "\\UNIDRV.HLP", 400u << 20);
    EXPECT_EQ(0u, Run("/quiet /log q.log", 120000)) << Log();
    DeleteFileA(FindDriver(HostEnvironment()).helpFile.c_str());
    DeleteFileA((DriverDirectory(HostEnvironment()) + "\\UNIDRV.HLP").c_str());
}

TEST_F(QuietMode, ALogThatCannotBeWrittenStopsBeforeAnyChange)
{
    EXPECT_EQ(1622u, Run("/quiet /log \"C:\\no such folder\\q.log\""));
    ExpectNothingInstalled();
}

TEST_F(QuietMode, BadArgumentsWithQuietEndAt87WithoutAWindow)
{
    // A message box would keep the program running: it must end by itself, quickly.
    EXPECT_EQ(87u, Run("/quiet /bogus /log q.log", 10000));
    EXPECT_EQ(87u, Run("/port COM1: /quiet /port COM2:", 10000));
    ExpectNothingInstalled();
    EXPECT_NE(std::string::npos, Log().find("Invalid arguments: Unknown option \"/bogus\".")) << Log();
}

TEST_F(QuietMode, BadArgumentsWithoutQuietShowTheUsageAndEndAt87)
{
    StartedProgram program;
    ASSERT_TRUE(StartProgram(m_folder + "\\PrinterSetup.exe", "/bogus", m_folder, program));
    HWND box = WaitForTopWindow(kMessageCaption, program.pid);
    ASSERT_NE(nullptr, box);
    const std::string text = AllStaticTexts(box);
    EXPECT_NE(std::string::npos, text.find("Unknown option \"/bogus\".")) << text;
    EXPECT_NE(std::string::npos, text.find("/quiet [/port NAME] [/nodefault] [/log FILE]")) << text;
    ClickButton(box, IDOK);
    EXPECT_EQ(87u, program.WaitForExit(10000));
    ExpectNothingInstalled();
}

TEST_F(QuietMode, HelpShowsTheUsageAndEndsAt0)
{
    for (const char* option : {"/?", "-HELP"}) {
        SCOPED_TRACE(option);
        StartedProgram program;
        ASSERT_TRUE(StartProgram(m_folder + "\\PrinterSetup.exe", option, m_folder, program));
        HWND box = WaitForTopWindow(kMessageCaption, program.pid);
        ASSERT_NE(nullptr, box);
        const std::string text = AllStaticTexts(box);
        EXPECT_NE(std::string::npos, text.find("PrinterSetup.exe /quiet /uninstall [/log FILE]")) << text;
        EXPECT_NE(std::string::npos, text.find("1603 failure")) << text;
        EXPECT_EQ(std::string::npos, text.find("Unknown")) << text;
        ClickButton(box, IDOK);
        EXPECT_EQ(0u, program.WaitForExit(10000));
    }
    ExpectNothingInstalled();
}

TEST_F(QuietMode, UninstallRemovesWhatInstallAddedAndASecondOneSucceedsToo)
{
    ASSERT_EQ(0u, Run("/quiet"));
    ASSERT_TRUE(FindPrinter().found);
    ASSERT_TRUE(FindDriver(HostEnvironment()).found);

    EXPECT_EQ(0u, Run("/quiet /uninstall /log q.log"));
    EXPECT_FALSE(FindPrinter().found);
    EXPECT_FALSE(FindDriver(HostEnvironment()).found);
    EXPECT_EQ(std::string::npos, DeviceValue().find(kDriver))
        << "no default printer that does not exist";
    const std::string first = Log();
    EXPECT_NE(std::string::npos, first.find("Printer \"VELM58KD\": removed.")) << first;
    EXPECT_NE(std::string::npos, first.find("Driver \"VELM58KD (" + std::string(HostEnvironment()) + ")\": removed.")) << first;

    EXPECT_EQ(0u, Run("/quiet /uninstall /log q.log"));
    const std::string second = Log().substr(first.size());
    EXPECT_NE(std::string::npos, second.find("Printer \"VELM58KD\": not present.")) << second;
    EXPECT_NE(std::string::npos, second.find("Driver \"VELM58KD (" + std::string(HostEnvironment()) + ")\": not present.")) << second;
    EXPECT_NE(std::string::npos, second.find("Result: success, exit code 0.")) << second;
}

TEST_F(QuietMode, UninstallClearsADeviceValueNamingThePrinterAndKeepsAnotherPrinters)
{
    SetDeviceValue("velm58kd,winspool,LPT1:");
    EXPECT_EQ(0u, Run("/quiet /uninstall"));
    EXPECT_EQ("<none>", DeviceValue());

    SetDeviceValue(kSentinelDevice);
    EXPECT_EQ(0u, Run("/quiet /uninstall"));
    EXPECT_EQ(kSentinelDevice, DeviceValue());
}

TEST_F(QuietMode, UninstallKeepsTheDriverThatAnotherPrinterStillUses)
{
    ASSERT_EQ(0u, Run("/quiet"));
    PRINTER_INFO_2A second = {};
    second.pPrinterName = const_cast<char*>(kSecondPrinter);
    second.pPortName = const_cast<char*>("LPT2:");
    second.pDriverName = const_cast<char*>(kDriver);
    second.pPrintProcessor = const_cast<char*>("WinPrint");
    second.pDatatype = const_cast<char*>("RAW");
    HANDLE added = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&second));
    ASSERT_NE(nullptr, added) << GetLastError();
    ClosePrinter(added);

    // Wine's spooler would delete the driver under the second printer: the program must not.
    EXPECT_EQ(0u, Run("/quiet /uninstall /log q.log")) << Log();
    EXPECT_FALSE(FindPrinter().found);
    EXPECT_TRUE(FindDriver(HostEnvironment()).found);
    HANDLE counter = nullptr;
    ASSERT_TRUE(OpenPrinterA(const_cast<char*>(kSecondPrinter), &counter, nullptr)) << "the second printer stays";
    ClosePrinter(counter);
    const std::string log = Log();
    EXPECT_NE(std::string::npos,
              log.find("Driver \"VELM58KD (" + std::string(HostEnvironment()) + ")\": left installed, printer \"Shop Counter\" uses it.")) << log;
    EXPECT_NE(std::string::npos, log.find("Result: success, exit code 0.")) << log;
}

TEST_F(QuietMode, UninstallLeavesADeviceValueThatIsNoString)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kWindowsKey, 0, KEY_SET_VALUE | KEY_QUERY_VALUE, &key));
    // Even bytes that spell the printer's name are no name when they are not a string.
    const char bytes[] = "VELM58KD,winspool,LPT1:";
    const DWORD number = 58;
    const struct {
        DWORD type;
        const void* data;
        DWORD size;
    } values[] = {{REG_BINARY, bytes, sizeof(bytes)}, {REG_DWORD, &number, sizeof(number)}};
    for (const auto& value : values) {
        SCOPED_TRACE(value.type);
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(key, "Device", 0, value.type, static_cast<const BYTE*>(value.data), value.size));
        EXPECT_EQ(0u, Run("/quiet /uninstall /log q.log")) << Log();
        DWORD type = 0, size = 0;
        EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Device", nullptr, &type, nullptr, &size));
        EXPECT_EQ(value.type, type) << "left as it was";
        EXPECT_EQ(value.size, size);
    }
    RegCloseKey(key);
    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("\"Device\" is not a string (REG_BINARY)")) << log;
    EXPECT_NE(std::string::npos, log.find("\"Device\" is not a string (REG_DWORD)")) << log;
}

// Writes (or, without a value, deletes) a REG_DWORD where the program reads it: the 64-bit view,
// which a 32-bit test under WOW64 must ask for too.
void SetDwordValue(HKEY root, const char* path, const char* name, const DWORD* value)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, value ? RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(value), 4)
                                   : RegDeleteValueA(key, name)) << name;
    RegCloseKey(key);
}

// Refused with 1603 before any change: a changed driver file under a sealed program, and protected print mode
// by policy; with both put right, the release's own installs.
TEST_F(QuietMode, ASealedProgramsChangedFileAndProtectedPrintModeRefuseWith1603AndChangeNothing)
{
    const std::string plugin = m_folder + "\\" + HostDriverFolder() + "\\QRX58.DLL";
    ASSERT_TRUE(UseSealedProgram(m_folder) && FlipByte(plugin, 20));
    EXPECT_EQ(1603u, Run("/quiet /tcp 192.0.2.7 /log q.log"));
    ExpectNothingInstalled();
    const std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("this program's seal (release 4.0.0.0, 19 files)")) << log;
    EXPECT_NE(std::string::npos, log.find("\"" + HostDriverFolder() + "\\QRX58.DLL\" has been changed since this setup program")) << log;
    EXPECT_EQ(std::string::npos, log.find("Port \"IP_192.0.2.7\"")) << "refused before /tcp makes its port";
    ASSERT_TRUE(FlipByte(plugin, 20));
    const char wpp[] = "SOFTWARE\\Policies\\Microsoft\\Windows NT\\Printers\\WPP", state[] = "WindowsProtectedPrintGroupPolicyState";
    const DWORD on = 1;
    SetDwordValue(HKEY_LOCAL_MACHINE, wpp, state, &on);
    EXPECT_EQ(1603u, Run("/quiet /log q.log"));
    SetDwordValue(HKEY_LOCAL_MACHINE, wpp, state, nullptr);
    ExpectNothingInstalled();
    EXPECT_NE(std::string::npos, Log().find("Failed: Windows protected print mode is on.", log.size())) << Log();
    EXPECT_EQ(0u, Run("/quiet /log q2.log")) << ReadFileText(m_folder + "\\q2.log");
}

// Wine reports Windows 10 to the program, which asks RtlGetVersion as it does on a real one.
TEST_F(QuietMode, OnWindows10LegacyDefaultPrinterModeIsSetTo1AndTheRemovalPutsItBack)
{
    const char mode[] = "LegacyDefaultPrinterMode";  // a REG_DWORD, which RegistryString reads as "\1" for 1, "" for 0
    const DWORD zero = 0;
    SetWineVersionFor("PrinterSetup.exe", "win10");
    SetDwordValue(HKEY_CURRENT_USER, kWindowsKey, mode, &zero);
    EXPECT_EQ(0u, Run("/quiet /log q.log"));
    EXPECT_EQ("\1", RegistryString(HKEY_CURRENT_USER, kWindowsKey, mode));
    EXPECT_EQ(0u, Run("/quiet /uninstall /log q.log"));
    EXPECT_EQ("", RegistryString(HKEY_CURRENT_USER, kWindowsKey, mode));
    SetWineVersionFor("PrinterSetup.exe", "");
    SetDwordValue(HKEY_CURRENT_USER, kWindowsKey, mode, nullptr);
    EXPECT_NE(std::string::npos, Log().find("LegacyDefaultPrinterMode set to 1, so that Windows keeps this default "
                                            "printer (it was 0; /uninstall puts it back).")) << Log();
    EXPECT_NE(std::string::npos, Log().find("Setting LegacyDefaultPrinterMode: put back to 0.")) << Log();
}

TEST_F(QuietMode, NamesOutsideTheCodePage_TheLogIsFoundAndSuchAPortIsRefused)
{
    const std::wstring folder = Utf16((m_folder + "\\").c_str()) + Utf16(kKoreanFolder);
    ASSERT_FALSE(FitsCodePage(folder)) << "the test needs a name the code page cannot hold";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring log = folder + L"\\q.log";
    // A port of that folder that the local port monitor lists: the ANSI calls would see
    // "C:\...\?? ??\??.prn", which the spooler lists just as garbled, and Wine would take.
    const std::wstring port = folder + L"\\" + Utf16(kKoreanPortName);
    HKEY ports = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPortsKey, 0, KEY_SET_VALUE, &ports));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(ports, port.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), 2));

    EXPECT_EQ(1603u, RunW(L"/quiet /port \"" + port + L"\" /log \"" + log + L"\""));
    RegDeleteValueW(ports, port.c_str());
    RegCloseKey(ports);
    ExpectNothingInstalled();
    const std::string text = ReadFileText(log);
    const std::string portUtf8 = m_folder + "\\" + kKoreanFolder + "\\" + kKoreanPortName;
    EXPECT_NE(std::string::npos, text.find("Port \"" + portUtf8 + "\" cannot be used")) << text;

    // The same log takes a run that succeeds.
    EXPECT_EQ(0u, RunW(L"/quiet /nodefault /log \"" + log + L"\""));
    EXPECT_TRUE(FindPrinter().found);
    EXPECT_NE(std::string::npos, ReadFileText(log).find("Result: success, exit code 0.")) << ReadFileText(log);
}

TEST_F(QuietMode, ALineBreakInAValueCannotForgeALogLine)
{
    const std::string forged = "2026-01-01 00:00:00 Result: success, exit code 0.";
    EXPECT_EQ(1603u, Run("/quiet /port \"LPT1:\r\n" + forged + "\" /log q.log"));
    ExpectNothingInstalled();
    const std::string log = Log();
    EXPECT_EQ(std::string::npos, log.find("\n" + forged)) << log;
    EXPECT_NE(std::string::npos, log.find("Port \"LPT1:\\r\\n" + forged + "\" is not a port")) << log;
    // Every line is one the program wrote: it starts with its time.
    std::vector<std::string> lines;
    for (size_t at = 3, end = 0; at < log.size(); at = end + 2) {
        end = log.find("\r\n", at);
        if (end == std::string::npos)
            end = log.size();
        lines.push_back(log.substr(at, end - at));
    }
    EXPECT_EQ(4u, lines.size()) << log;  // the run, the unsealed build, the refusal, the result
    for (const std::string& line : lines)
        EXPECT_EQ(0u, line.find("20")) << line;
}

TEST_F(QuietMode, WithoutArgumentsTheWizardStartsAsBefore)
{
    StartedProgram program;
    ASSERT_TRUE(StartProgram(m_folder + "\\PrinterSetup.exe", "", m_folder, program));
    HWND os = WaitForTopWindow(kOsCaption, program.pid);
    ASSERT_NE(nullptr, os);
    EXPECT_EQ(nullptr, FindTopWindow(kMessageCaption, program.pid));
    ClickButton(os, IDC_OS_EXIT);
    EXPECT_EQ(0u, program.WaitForExit(10000));
    ExpectNothingInstalled();
}

// The Windows Installer package that the build makes of the sample package, installed and
// removed by Wine's msiexec as a deployment engine does (/qn, as SYSTEM on Windows): its
// deferred actions run the installed program, so it must leave what the program leaves.
const char kInstalledName[] = "TOLV 打印机驱动安装程序";  // ProductName of the version resource
const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

class MsiPackage : public QuietMode {
protected:
    void SetUp() override
    {
        QuietMode::SetUp();
        m_msi = TestProgramDir() + "\\PrinterSetup.msi";
        m_upgradeMsi = TestProgramDir() + "\\PrinterSetup-upgrade.msi";
        m_productCode = PackageProperty(m_msi, "ProductCode");
        ASSERT_EQ(38u, m_productCode.size()) << "a braced GUID from the package's Property table";
        wchar_t programFiles[MAX_PATH] = {};
        // A 32-bit package: Windows Installer puts ProgramFilesFolder in the 32-bit folder.
        ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILESX86, nullptr, 0, programFiles));
        m_installDir = std::wstring(programFiles) + L"\\" + Utf16(kInstalledName) + L"\\";
    }

    void TearDown() override
    {
        Msiexec("/x \"" + m_upgradeMsi + "\" /qn");
        Msiexec("/x \"" + m_msi + "\" /qn");
        QuietMode::TearDown();
    }

    static DWORD Msiexec(const std::string& arguments)
    {
        char system[MAX_PATH] = {};
        GetSystemDirectoryA(system, MAX_PATH);
        StartedProgram msiexec;
        if (!StartProgram(std::string(system) + "\\msiexec.exe", arguments, TestProgramDir(), msiexec))
            return 0xFFFFFFFF;
        return msiexec.WaitForExit(120000);
    }

    // A property of a package, from its Property table.
    static std::string PackageProperty(const std::string& msi, const char* name)
    {
        const std::string query = std::string("SELECT `Value` FROM `Property` WHERE `Property` = '") + name + "'";
        MSIHANDLE database = 0, view = 0, record = 0;
        std::string text;
        if (MsiOpenDatabaseA(msi.c_str(), MSIDBOPEN_READONLY, &database) == ERROR_SUCCESS &&
            MsiDatabaseOpenViewA(database, query.c_str(), &view) == ERROR_SUCCESS &&
            MsiViewExecute(view, 0) == ERROR_SUCCESS && MsiViewFetch(view, &record) == ERROR_SUCCESS) {
            char value[256] = {};
            DWORD size = sizeof(value);
            if (MsiRecordGetStringA(record, 1, value, &size) == ERROR_SUCCESS)
                text = value;
        }
        for (MSIHANDLE handle : {record, view, database})
            if (handle)
                MsiCloseHandle(handle);
        return text;
    }

    // A value of the product's Apps & Features entry in the given registry view, or "<none>".
    static std::wstring UninstallValue(const std::string& productCode, const wchar_t* name,
                                       REGSAM view = KEY_WOW64_32KEY)
    {
        std::wstring key = kUninstallKey + Utf16(productCode.c_str());
        HKEY opened = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | view, &opened) != ERROR_SUCCESS)
            return L"<none>";
        wchar_t data[512] = {};
        DWORD size = sizeof(data) - sizeof(wchar_t), type = 0;
        LONG read = RegQueryValueExW(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
        RegCloseKey(opened);
        return read == ERROR_SUCCESS ? std::wstring(data) : L"<none>";
    }

    bool Installed(const char* relative) const
    {
        return GetFileAttributesW((m_installDir + Utf16(relative)).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    std::string InstallLog() const
    {
        std::wstring path = m_installDir + L"install.log";
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return std::string();
        std::string text(GetFileSize(file, nullptr), '\0');
        DWORD read = 0;
        ReadFile(file, &text[0], static_cast<DWORD>(text.size()), &read, nullptr);
        CloseHandle(file);
        return text.substr(0, read);
    }

    // How many printers of this model's name the spooler lists (Wine's accepts duplicates).
    static int PrintersNamedLikeTheModel()
    {
        DWORD needed = 0, count = 0;
        EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &count);
        std::vector<BYTE> buffer(needed + 1);
        if (!EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 4, buffer.data(), needed, &needed, &count))
            return -1;
        const PRINTER_INFO_4A* printers = reinterpret_cast<const PRINTER_INFO_4A*>(buffer.data());
        int found = 0;
        for (DWORD i = 0; i < count; ++i)
            found += lstrcmpiA(printers[i].pPrinterName, kDriver) == 0;
        return found;
    }

    std::string m_msi, m_upgradeMsi, m_productCode;
    std::wstring m_installDir;
};

TEST_F(MsiPackage, InstallLeavesWhatTheWizardLeavesAndAnAppsAndFeaturesEntry)
{
    ASSERT_EQ(0u, Msiexec("/i \"" + m_msi + "\" /qn PORT=COM2:"));

    InstalledDriver driver = FindDriver(HostEnvironment());
    ASSERT_TRUE(driver.found);
    EXPECT_TRUE(EndsWith(driver.dataFile, "\\VELM58KD.GPD")) << driver.dataFile;
    InstalledPrinter printer = FindPrinter();
    ASSERT_TRUE(printer.found);
    EXPECT_EQ("COM2:", printer.port) << "PORT reaches the program";
    EXPECT_EQ(kDriver, printer.driver);
    const std::string directory = DriverDirectory(HostEnvironment());
    for (const char* name : kPackageFiles)
        EXPECT_EQ(ReadFileText(SamplePackageDir() + "\\" + HostDriverFolder() + "\\" + name),
                  ReadFileText(directory + "\\" + name))
            << name;
    EXPECT_EQ(kSentinelDevice, DeviceValue()) << "no default printer without SETDEFAULT=1";

    // The zip's layout under [ProgramFilesFolder]<product>, and the program's log beside it.
    for (const char* file : {"PrinterSetup.exe", "README.txt", "Printer Driver\\x86\\VELM58KD.GPD",
                             "Printer Driver\\x64\\QRX58.DLL", "USB Driver\\x64\\dpinstx64.exe", "USBdriver\\x86\\dpinst.exe"})
        EXPECT_TRUE(Installed(file)) << file;
    const std::string log = InstallLog();
    EXPECT_NE(std::string::npos, log.find("Printer \"VELM58KD\" added on port \"COM2:\".")) << log;

    // Apps & Features: the entry of a 32-bit package, named as the version resource names it.
    EXPECT_EQ(Utf16(kInstalledName), UninstallValue(m_productCode, L"DisplayName"));
    EXPECT_EQ(L"4.0.0.0", UninstallValue(m_productCode, L"DisplayVersion"));
    EXPECT_EQ(L"TOLV", UninstallValue(m_productCode, L"Publisher"));
    EXPECT_EQ(m_installDir, UninstallValue(m_productCode, L"InstallLocation"));
    EXPECT_NE(std::wstring::npos, UninstallValue(m_productCode, L"UninstallString").find(L"/X{"));
    if (OnWindowsX64())  // 32-bit Windows has the one view
        EXPECT_EQ(L"<none>", UninstallValue(m_productCode, L"DisplayName", KEY_WOW64_64KEY));
}

TEST_F(MsiPackage, UninstallRemovesPrinterDriverFilesAndTheEntry)
{
    ASSERT_EQ(0u, Msiexec("/i \"" + m_msi + "\" /qn"));
    ASSERT_TRUE(FindPrinter().found);

    EXPECT_EQ(0u, Msiexec("/x \"" + m_msi + "\" /qn"));
    EXPECT_FALSE(FindPrinter().found);
    EXPECT_FALSE(FindDriver(HostEnvironment()).found);
    EXPECT_FALSE(Installed("PrinterSetup.exe"));
    EXPECT_FALSE(Installed("install.log")) << "the program's log goes with the files";
    EXPECT_FALSE(Installed("")) << "nor does the folder stay";
    EXPECT_EQ(L"<none>", UninstallValue(m_productCode, L"DisplayName"));
}

// A failing program fails the installation and Windows Installer rolls the files back. Windows
// ends msiexec with 1603 then; Wine 8 with 1627 (ERROR_FUNCTION_FAILED). Wine also runs the
// rollback script forwards, removing the files before the rollback action could start the
// program's /uninstall (Windows runs it backwards): that action is not exercised here.
TEST_F(MsiPackage, AFailingProgramFailsTheInstallationAndLeavesNothing)
{
    const DWORD failed = Msiexec("/i \"" + m_msi + "\" /qn PORT=NOSUCH:");
    EXPECT_TRUE(failed == 1603u || failed == 1627u) << failed;
    ExpectNothingInstalled();
    EXPECT_FALSE(Installed("PrinterSetup.exe")) << "files rolled back";
    EXPECT_EQ(L"<none>", UninstallValue(m_productCode, L"DisplayName"));
}

// The later release differs only in the fourth version field, which Windows Installer does
// not compare: it replaces the earlier one all the same. Windows removes the earlier release
// with UPGRADINGPRODUCTCODE set, and its uninstall action leaves the printer for the later one
// to take over; Wine 8 passes only REMOVE=ALL, so here the earlier release removes the printer
// and the later one adds it again. One printer either way.
TEST_F(MsiPackage, ALaterReleaseReplacesTheEarlierOneAndKeepsOnePrinter)
{
    ASSERT_EQ(0u, Msiexec("/i \"" + m_msi + "\" /qn PORT=COM2:"));
    const std::string laterCode = PackageProperty(m_upgradeMsi, "ProductCode");
    const std::string laterVersion = PackageProperty(m_upgradeMsi, "ProductVersion");
    ASSERT_NE(m_productCode, laterCode) << "each release has its own product code";
    ASSERT_NE(PackageProperty(m_msi, "ProductVersion"), laterVersion);

    ASSERT_EQ(0u, Msiexec("/i \"" + m_upgradeMsi + "\" /qn PORT=COM2: SETDEFAULT=1"));
    EXPECT_EQ(L"<none>", UninstallValue(m_productCode, L"DisplayName")) << "the earlier release is gone";
    EXPECT_EQ(Utf16(laterVersion.c_str()), UninstallValue(laterCode, L"DisplayVersion"));
    EXPECT_EQ(1, PrintersNamedLikeTheModel());
    InstalledPrinter printer = FindPrinter();
    ASSERT_TRUE(printer.found);
    EXPECT_EQ("COM2:", printer.port);
    EXPECT_EQ("VELM58KD,winspool,COM2:", DeviceValue()) << "SETDEFAULT=1 makes it the default";
    EXPECT_TRUE(Installed("PrinterSetup.exe"));

    EXPECT_EQ(0u, Msiexec("/x \"" + m_upgradeMsi + "\" /qn"));
    EXPECT_EQ(0, PrintersNamedLikeTheModel());
    EXPECT_FALSE(Installed(""));
}

}  // namespace
