// The whole wizard under Wine: the real PrinterSetup.exe, started from a copy of the sample
// driver package and driven from this process the way a person drives it, page by page.
// Afterwards the prefix's spooler, driver directory and registry show what it did.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "InstallationWineSupport.h"
#include "WineTestSupport.h"
#include "system/HostArchitecture.h"
#include "res/resource.h"

namespace {

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
        RemovePrinterAndDriver();
        ASSERT_FALSE(FindPrinter().found);
        ASSERT_FALSE(FindDriver(HostEnvironment()).found);
        DeletePackageFiles(DriverDirectory(HostEnvironment()));
        ASSERT_TRUE(SetDeviceValue(kSentinelDevice));
    }

    void Start() { ASSERT_TRUE(StartProgram(m_folder + "\\PrinterSetup.exe", "", m_folder, m_program)); }

    // Starts the program and walks to the settings page, and on to the port page.
    void StartToSettingsPage(HWND* settings)
    {
        Start();
        WizardWalk walk = WalkToSettingsPage(m_program);
        *settings = walk.settings;
        ASSERT_NE(nullptr, walk.os);
        ASSERT_NE(nullptr, walk.settings);
    }
    void StartToPortPage(HWND* settings, HWND* portPage)
    {
        Start();
        WizardWalk walk = WalkToPortPage(m_program);
        *settings = walk.settings;
        *portPage = walk.port;
        ASSERT_NE(nullptr, walk.settings);
        ASSERT_NE(nullptr, walk.port);
    }

    // The program's visible window with this caption, once it has come up.
    HWND Page(const char* caption) { return WaitForTopWindow(caption, m_program.pid); }

    // A page that has gone (closed or replaced) within a few seconds.
    bool Gone(HWND window)
    {
        return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, 5000);
    }

    static constexpr const char* kSentinelDevice = "Earlier,winspool,FILE:";
    std::string m_folder;
    StartedProgram m_program;
};

TEST_F(EndToEnd, InstallsTheDriverAndThePrinterAndEndsWithCompleted)
{
    // The host is decided by IsWow64Process2 wherever it exists, as it does here: a 64-bit
    // process on x64 is told process machine unknown and native machine AMD64, a 32-bit one
    // i386 and AMD64 (WOW64); on 32-bit Windows, unknown and i386.
    using IsWow64Process2Function = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
    auto isWow64Process2 = reinterpret_cast<IsWow64Process2Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "IsWow64Process2")));
    ASSERT_NE(nullptr, isWow64Process2) << "Wine 8 has IsWow64Process2";
    USHORT processMachine = 1, nativeMachine = 0;
    ASSERT_TRUE(isWow64Process2(GetCurrentProcess(), &processMachine, &nativeMachine));
    EXPECT_EQ(sizeof(void*) == 4 && OnWindowsX64() ? 0x14C : 0, processMachine);
    EXPECT_EQ(OnWindowsX64() ? 0x8664 : 0x14C, nativeMachine);
    EXPECT_EQ(OnWindowsX64() ? HostArchitecture::X64 : HostArchitecture::X86, CurrentHostArchitecture());

    HWND settings = nullptr, portPage = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartToPortPage(&settings, &portPage));
    EXPECT_TRUE(IsChecked(settings, IDC_PS_SET_DEFAULT));
    EXPECT_FALSE(IsWindowEnabled(settings)) << "the settings page waits beneath the port page";
    ClickButton(portPage, IDC_PP_INSTALL);

    HWND done = Page(kMessageCaption);
    ASSERT_NE(nullptr, done) << "no completion message";
    EXPECT_EQ("Completed!", AllStaticTexts(done));
    EXPECT_FALSE(IsWindow(portPage) && IsWindowVisible(portPage)) << "the port page closed first";
    ClickButton(done, IDOK);
    EXPECT_EQ(0u, m_program.WaitForExit()) << "the program ends after the message";

    InstalledPrinter printer = FindPrinter();
    EXPECT_EQ("LPT1:", printer.port);
    EXPECT_EQ(kDriver, printer.driver);
    EXPECT_TRUE(FindDriver(HostEnvironment()).found);
    std::string directory = DriverDirectory(HostEnvironment());
    for (const char* name : kPackageFiles)
        EXPECT_EQ(ReadFileText(m_folder + "\\" + HostDriverFolder() + "\\" + name), ReadFileText(directory + "\\" + name))
            << name;
    EXPECT_EQ("VELM58KD,winspool,LPT1:", DeviceValue());
}

TEST_F(EndToEnd, AFailedInstallationIsNotReportedAsCompleted)
{
    // A package with a file missing: the installation refuses to start.
    ASSERT_TRUE(DeleteFileA((m_folder + "\\" + HostDriverFolder() + "\\VELM58KD.GPD").c_str()));
    HWND settings = nullptr, portPage = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartToPortPage(&settings, &portPage));
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
    EXPECT_FALSE(FindPrinter().found);
    EXPECT_EQ(kSentinelDevice, DeviceValue());
}

// The spooler's calls fail as on a Windows whose Spooler service is disabled: the port page
// says so instead of opening with an empty list, and stays.
TEST_F(EndToEnd, ADisabledSpoolerServiceIsNamedOnThePortPageWhichStaysAndIsLeftDisabled)
{
    SpoolerTakenAway away("PrinterSetup.exe", SERVICE_DISABLED);
    ASSERT_TRUE(away.Ready());
    HWND settings = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartToSettingsPage(&settings));
    ClickButton(settings, IDC_PS_NEXT);
    HWND message = Page(kMessageCaption);
    ASSERT_NE(nullptr, message);
    const std::string text = AllStaticTexts(message);
    EXPECT_EQ(0u, text.find("The Print Spooler service is disabled. Printers cannot be installed or removed until it "
                            "is set to Automatic and started: open Services (services.msc)"))
        << text;
    EXPECT_EQ(nullptr, GetDlgItem(message, IDYES)) << "nothing to ask: a disabled service is left alone";
    ClickButton(message, IDOK);
    ASSERT_TRUE(Gone(message));

    HWND portPage = Page(kPortCaption);
    ASSERT_NE(nullptr, portPage);
    EXPECT_TRUE(ListColumnTexts(GetDlgItem(portPage, IDC_PP_PORT_LIST), 0).empty());
    ClickButton(portPage, IDC_PP_CANCEL);
    ASSERT_TRUE(Gone(portPage));
    ClickButton(Page(kSettingsCaption), IDC_PS_EXIT);
    EXPECT_EQ(0u, m_program.WaitForExit());
    DWORD startType = 0, state = 0;
    ASSERT_TRUE(SpoolerTakenAway::ServiceNow(startType, state));
    EXPECT_EQ(static_cast<DWORD>(SERVICE_DISABLED), startType);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), state);
    EXPECT_FALSE(FindPrinter().found);
}

TEST_F(EndToEnd, AClearedSetDefaultPrinterLeavesTheDefaultPrinterAlone)
{
    HWND settings = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartToSettingsPage(&settings));
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

    EXPECT_TRUE(FindPrinter().found);
    EXPECT_EQ(kSentinelDevice, DeviceValue());
}

TEST_F(EndToEnd, BackOnThePortPageReturnsToTheSettingsPageAsTheUserLeftIt)
{
    HWND settings = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartToSettingsPage(&settings));
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
    EXPECT_FALSE(FindPrinter().found) << "nothing was installed";
    EXPECT_EQ(kSentinelDevice, DeviceValue());
}

TEST_F(EndToEnd, BackOnTheSettingsPageShowsTheOsPageAndForwardRestoresTheDefaults)
{
    HWND settings = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartToSettingsPage(&settings));
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
    EXPECT_FALSE(FindPrinter().found);
}

TEST_F(EndToEnd, ExitOnTheOsPageEndsTheProgramAtOnce)
{
    Start();
    HWND os = Page(kOsCaption);
    ASSERT_NE(nullptr, os);
    ClickButton(os, IDC_OS_EXIT);
    EXPECT_EQ(0u, m_program.WaitForExit(10000));
    EXPECT_FALSE(FindPrinter().found);
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
    HWND settings = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartToSettingsPage(&settings));
    ClickButton(settings, IDC_PS_EXIT);
    EXPECT_EQ(0u, m_program.WaitForExit(10000));
    EXPECT_FALSE(FindPrinter().found);
    EXPECT_FALSE(FindDriver(HostEnvironment()).found);
    EXPECT_EQ(kSentinelDevice, DeviceValue());
}

TEST_F(EndToEnd, TheCloseBoxOfTheSettingsPageEndsTheProgram)
{
    HWND settings = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartToSettingsPage(&settings));
    PostMessageA(settings, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(0u, m_program.WaitForExit(10000));
    EXPECT_FALSE(FindPrinter().found);
}

}  // namespace
