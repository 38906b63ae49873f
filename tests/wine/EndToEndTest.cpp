// The whole wizard under Wine: the real PrinterSetup.exe, started from a copy of the sample
// driver package and driven from this process the way a person drives it, page by page.
// Afterwards the prefix's spooler, driver directory and registry show what it did.
#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WineTestSupport.h"
#include "res/resource.h"

namespace {

const char kOsCaption[] = "Select OS (x86/x64)";
const char kSettingsCaption[] = "Detail Setting (x86/x64)";
const char kPortCaption[] = "Select Port (x86/x64)";
const char kMessageCaption[] = "PrinterSetup";  // the program file's name: it defines no title
const char kDriver[] = "VELM58KD";
const char kWindowsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
const char* const kPackageFiles[] = {"QRX58.DLL",  "VELM58KD.GPD", "uniDRVui.DLL", "uniDRV.DLL",
                                     "UNIDRV.HLP", "UNIRES.DLL",   "TTFSUB.GPD",   "STDNAMES.GPD"};

bool PrinterExists()
{
    HANDLE printer = nullptr;
    if (!OpenPrinterA(const_cast<char*>(kDriver), &printer, nullptr))
        return false;
    ClosePrinter(printer);
    return true;
}

// The port and driver of the model's printer, or empty strings when there is none.
void ReadPrinter(std::string& port, std::string& driver)
{
    port.clear();
    driver.clear();
    HANDLE printer = nullptr;
    if (!OpenPrinterA(const_cast<char*>(kDriver), &printer, nullptr))
        return;
    DWORD needed = 0;
    GetPrinterA(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (needed && GetPrinterA(printer, 2, buffer.data(), needed, &needed)) {
        auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buffer.data());
        port = info->pPortName ? info->pPortName : "";
        driver = info->pDriverName ? info->pDriverName : "";
    }
    ClosePrinter(printer);
}

// The data file of the model's driver for 64-bit Windows, or empty when it is not registered.
std::string RegisteredDriverDataFile()
{
    DWORD needed = 0, count = 0;
    EnumPrinterDriversA(nullptr, const_cast<char*>("Windows x64"), 3, nullptr, 0, &needed, &count);
    if (needed == 0)
        return std::string();
    std::vector<BYTE> buffer(needed);
    if (!EnumPrinterDriversA(nullptr, const_cast<char*>("Windows x64"), 3, buffer.data(), needed, &needed, &count))
        return std::string();
    auto* drivers = reinterpret_cast<DRIVER_INFO_3A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        if (drivers[i].pName && std::string(drivers[i].pName) == kDriver)
            return drivers[i].pDataFile ? drivers[i].pDataFile : "<no data file>";
    }
    return std::string();
}

std::string DriverDirectory()
{
    char buffer[MAX_PATH] = {};
    DWORD needed = 0;
    GetPrinterDriverDirectoryA(nullptr, const_cast<char*>("Windows x64"), 1, reinterpret_cast<BYTE*>(buffer),
                               sizeof(buffer), &needed);
    return buffer;
}

std::string DeviceValue()
{
    char data[512] = {};
    DWORD length = sizeof(data);
    if (RegGetValueA(HKEY_CURRENT_USER, kWindowsKey, "Device", RRF_RT_REG_SZ, nullptr, data, &length) != ERROR_SUCCESS)
        return "<none>";
    return data;
}

void SetDeviceValue(const std::string& value)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kWindowsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                             &key, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Device", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                            static_cast<DWORD>(value.size() + 1)));
    RegCloseKey(key);
}

bool IsChecked(HWND dialog, int id)
{
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Each test runs the program from its own copy of the package, with the model's printer
// and driver off the spooler and a known default printer, so that what it finds afterwards
// is this run's doing (other tests share the prefix).
class EndToEnd : public testing::Test {
protected:
    void SetUp() override
    {
        m_folder = MakeTempDir("wizard");
        ASSERT_FALSE(m_folder.empty());
        ASSERT_TRUE(CopyTree(SamplePackageDir(), m_folder));
        SetWineVersionFor("PrinterSetup.exe", "");
        HANDLE printer = nullptr;
        PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        if (OpenPrinterA(const_cast<char*>(kDriver), &printer, &defaults)) {
            DeletePrinter(printer);
            ClosePrinter(printer);
        }
        DeletePrinterDriverA(nullptr, const_cast<char*>("Windows x64"), const_cast<char*>(kDriver));
        ASSERT_FALSE(PrinterExists());
        ASSERT_EQ("", RegisteredDriverDataFile());
        for (const char* name : kPackageFiles)
            DeleteFileA((DriverDirectory() + "\\" + name).c_str());
        SetDeviceValue(kSentinelDevice);
    }

    void Start() { ASSERT_TRUE(StartProgram(m_folder + "\\PrinterSetup.exe", "", m_folder, m_program)); }

    // The program's visible window with this caption, once it has come up.
    HWND Page(const char* caption) { return WaitForTopWindow(caption, m_program.pid); }

    // A page that has gone (closed or replaced) within a few seconds.
    bool Gone(HWND window)
    {
        return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, 5000);
    }

    // From the start to the port page; answers the settings page.
    HWND ForwardToPortPage(HWND* portPage)
    {
        HWND os = Page(kOsCaption);
        if (!os)
            return nullptr;
        ClickButton(os, IDC_OS_INSTALL_DRIVER);
        HWND settings = Page(kSettingsCaption);
        if (!settings)
            return nullptr;
        ClickButton(settings, IDC_PS_NEXT);
        *portPage = Page(kPortCaption);
        return settings;
    }

    static constexpr const char* kSentinelDevice = "Earlier,winspool,FILE:";
    std::string m_folder;
    StartedProgram m_program;
};

TEST_F(EndToEnd, InstallsTheDriverAndThePrinterAndEndsWithCompleted)
{
    Start();
    HWND portPage = nullptr;
    HWND settings = ForwardToPortPage(&portPage);
    ASSERT_NE(nullptr, settings);
    ASSERT_NE(nullptr, portPage);
    EXPECT_TRUE(IsChecked(settings, IDC_PS_SET_DEFAULT));
    EXPECT_FALSE(IsWindowEnabled(settings)) << "the settings page waits beneath the port page";
    ClickButton(portPage, IDC_PP_INSTALL);

    HWND done = Page(kMessageCaption);
    ASSERT_NE(nullptr, done) << "no completion message";
    EXPECT_EQ("Completed!", AllStaticTexts(done));
    EXPECT_FALSE(IsWindow(portPage) && IsWindowVisible(portPage)) << "the port page closed first";
    ClickButton(done, IDOK);
    EXPECT_EQ(0u, m_program.WaitForExit()) << "the program ends after the message";

    std::string port, driver;
    ReadPrinter(port, driver);
    EXPECT_EQ("LPT1:", port);
    EXPECT_EQ(kDriver, driver);
    EXPECT_NE("", RegisteredDriverDataFile());
    std::string directory = DriverDirectory();
    for (const char* name : kPackageFiles)
        EXPECT_EQ(ReadFileText(m_folder + "\\Printer Driver\\x64\\" + name), ReadFileText(directory + "\\" + name))
            << name;
    EXPECT_EQ("VELM58KD,winspool,LPT1:", DeviceValue());
}

TEST_F(EndToEnd, AFailedInstallationIsNotReportedAsCompleted)
{
    // A package with a file missing: the installation refuses to start.
    ASSERT_TRUE(DeleteFileA((m_folder + "\\Printer Driver\\x64\\VELM58KD.GPD").c_str()));
    Start();
    HWND portPage = nullptr;
    HWND settings = ForwardToPortPage(&portPage);
    ASSERT_NE(nullptr, settings);
    ASSERT_NE(nullptr, portPage);
    ClickButton(portPage, IDC_PP_INSTALL);
    HWND message = Page(kMessageCaption);
    ASSERT_NE(nullptr, message);
    std::string text = AllStaticTexts(message);
    EXPECT_EQ(std::string::npos, text.find("Completed!")) << text;
    EXPECT_NE(std::string::npos, text.find("VELM58KD.GPD")) << text;
    ClickButton(message, IDOK);
    ASSERT_TRUE(Gone(message));

    // The user is still on the port page and can leave it for the settings page and exit.
    EXPECT_TRUE(IsWindowVisible(portPage));
    ClickButton(portPage, IDC_PP_CANCEL);
    ASSERT_TRUE(Gone(portPage));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(settings) != FALSE; }, 5000));
    EXPECT_EQ(settings, Page(kSettingsCaption));
    ClickButton(settings, IDC_PS_EXIT);
    EXPECT_EQ(0u, m_program.WaitForExit());
    EXPECT_FALSE(PrinterExists());
    EXPECT_EQ(kSentinelDevice, DeviceValue());
}

TEST_F(EndToEnd, AClearedSetDefaultPrinterLeavesTheDefaultPrinterAlone)
{
    Start();
    HWND os = Page(kOsCaption);
    ASSERT_NE(nullptr, os);
    ClickButton(os, IDC_OS_INSTALL_DRIVER);
    HWND settings = Page(kSettingsCaption);
    ASSERT_NE(nullptr, settings);
    SendMessageA(GetDlgItem(settings, IDC_PS_SET_DEFAULT), BM_CLICK, 0, 0);
    ASSERT_FALSE(IsChecked(settings, IDC_PS_SET_DEFAULT));
    ClickButton(settings, IDC_PS_NEXT);
    HWND portPage = Page(kPortCaption);
    ASSERT_NE(nullptr, portPage);
    ClickButton(portPage, IDC_PP_INSTALL);
    HWND done = Page(kMessageCaption);
    ASSERT_NE(nullptr, done);
    ClickButton(done, IDOK);
    EXPECT_EQ(0u, m_program.WaitForExit());

    EXPECT_TRUE(PrinterExists());
    EXPECT_EQ(kSentinelDevice, DeviceValue());
}

TEST_F(EndToEnd, BackOnThePortPageReturnsToTheSettingsPageAsTheUserLeftIt)
{
    Start();
    HWND os = Page(kOsCaption);
    ASSERT_NE(nullptr, os);
    ClickButton(os, IDC_OS_INSTALL_DRIVER);
    HWND settings = Page(kSettingsCaption);
    ASSERT_NE(nullptr, settings);
    SendMessageA(GetDlgItem(settings, IDC_PS_SET_DEFAULT), BM_CLICK, 0, 0);

    // Back, then Cancel, then Esc: each leaves the same settings page open and usable.
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        ClickButton(settings, IDC_PS_NEXT);
        HWND portPage = Page(kPortCaption);
        ASSERT_NE(nullptr, portPage);
        if (way == 0)
            ClickButton(portPage, IDC_PP_BACK);
        else if (way == 1)
            ClickButton(portPage, IDC_PP_CANCEL);
        else
            PressKey(portPage, VK_ESCAPE);
        ASSERT_TRUE(Gone(portPage));
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(settings) != FALSE; }, 5000));
        EXPECT_EQ(settings, Page(kSettingsCaption)) << "the same page, not a new one";
        EXPECT_FALSE(IsChecked(settings, IDC_PS_SET_DEFAULT)) << "as the user left it";
    }
    ClickButton(settings, IDC_PS_EXIT);
    EXPECT_EQ(0u, m_program.WaitForExit());
    EXPECT_FALSE(PrinterExists()) << "nothing was installed";
    EXPECT_EQ(kSentinelDevice, DeviceValue());
}

TEST_F(EndToEnd, BackOnTheSettingsPageShowsTheOsPageAndForwardRestoresTheDefaults)
{
    Start();
    HWND os = Page(kOsCaption);
    ASSERT_NE(nullptr, os);
    ClickButton(os, IDC_OS_INSTALL_DRIVER);
    HWND settings = Page(kSettingsCaption);
    ASSERT_NE(nullptr, settings);
    SendMessageA(GetDlgItem(settings, IDC_PS_SET_DEFAULT), BM_CLICK, 0, 0);
    ASSERT_FALSE(IsChecked(settings, IDC_PS_SET_DEFAULT));
    ClickButton(settings, IDC_PS_BACK);
    ASSERT_TRUE(Gone(settings));

    HWND osAgain = Page(kOsCaption);
    ASSERT_NE(nullptr, osAgain);
    ClickButton(osAgain, IDC_OS_INSTALL_DRIVER);
    HWND fresh = Page(kSettingsCaption);
    ASSERT_NE(nullptr, fresh);
    EXPECT_TRUE(IsChecked(fresh, IDC_PS_SET_DEFAULT)) << "a new page with its defaults";
    EXPECT_EQ(0, SendMessageA(GetDlgItem(fresh, IDC_PS_MODEL_COMBO), CB_GETCURSEL, 0, 0));
    PressKey(fresh, VK_ESCAPE);
    EXPECT_EQ(0u, m_program.WaitForExit()) << "Esc on the settings page ends the program";
    EXPECT_FALSE(PrinterExists());
}

TEST_F(EndToEnd, ExitOnTheOsPageEndsTheProgramAtOnce)
{
    Start();
    HWND os = Page(kOsCaption);
    ASSERT_NE(nullptr, os);
    ClickButton(os, IDC_OS_EXIT);
    EXPECT_EQ(0u, m_program.WaitForExit(10000));
    EXPECT_FALSE(PrinterExists());
}

TEST_F(EndToEnd, EscOnTheOsPageEndsTheProgram)
{
    Start();
    HWND os = Page(kOsCaption);
    ASSERT_NE(nullptr, os);
    PressKey(os, VK_ESCAPE);
    EXPECT_EQ(0u, m_program.WaitForExit(10000));
}

TEST_F(EndToEnd, ExitOnTheSettingsPageEndsTheProgramWithoutInstalling)
{
    Start();
    HWND os = Page(kOsCaption);
    ASSERT_NE(nullptr, os);
    ClickButton(os, IDC_OS_INSTALL_DRIVER);
    HWND settings = Page(kSettingsCaption);
    ASSERT_NE(nullptr, settings);
    ClickButton(settings, IDC_PS_EXIT);
    EXPECT_EQ(0u, m_program.WaitForExit(10000));
    EXPECT_FALSE(PrinterExists());
    EXPECT_EQ("", RegisteredDriverDataFile());
    EXPECT_EQ(kSentinelDevice, DeviceValue());
}

TEST_F(EndToEnd, TheCloseBoxOfTheSettingsPageEndsTheProgram)
{
    Start();
    HWND os = Page(kOsCaption);
    ASSERT_NE(nullptr, os);
    ClickButton(os, IDC_OS_INSTALL_DRIVER);
    HWND settings = Page(kSettingsCaption);
    ASSERT_NE(nullptr, settings);
    PostMessageA(settings, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(0u, m_program.WaitForExit(10000));
    EXPECT_FALSE(PrinterExists());
}

}  // namespace
