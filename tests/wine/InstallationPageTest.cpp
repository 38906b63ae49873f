// The printer settings page's installation procedures, run while the real page is open:
// they must read its controls and the port page's choice, and move the port page's bar.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "InstallationWineSupport.h"
#include "WineTestSupport.h"
#include "ui/Globals.h"
#include "res/resource.h"
#include "ui/PortSelectDlg.h"
#include "ui/PrinterSettingDlg.h"

namespace {

class InstallationFromThePage : public testing::Test {
protected:
    void SetUp() override
    {
        std::string package = MakeTempDir("install-page");
        ASSERT_TRUE(CopyTree(SamplePackageDir(), package));
        ASSERT_TRUE(m_directory.Enter(package));
        RemovePrinterAndDriver();
        m_savedCom2 = RegistryString(HKEY_LOCAL_MACHINE, kPortsKey, "COM2:");
        SetRegistryString(HKEY_LOCAL_MACHINE, kPortsKey, "COM2:", "marker");
        SetDeviceValue("Other,winspool,FILE:");

        // The port page as "&Install" leaves it: a chosen port and a progress bar at 0.
        m_progressBar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_POPUP, 0, 0, 200, 20, nullptr, nullptr,
                                        GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, m_progressBar);
        m_portPage.m_progress.Attach(m_progressBar);
        m_portPage.m_progress.SetRange(0, 100);
        g_pPortDlg = &m_portPage;
    }
    void TearDown() override
    {
        g_pPortDlg = nullptr;
        DestroyWindow(m_progressBar);
        RemovePrinterAndDriver();
        if (m_savedCom2 != "<none>")
            SetRegistryString(HKEY_LOCAL_MACHINE, kPortsKey, "COM2:", m_savedCom2);
    }

    // Opens the page, lets `prepare` set its controls, runs the installation for this Windows
    // (InstallPrinterX64, on 32-bit Windows InstallPrinterX86) while the page is open, and
    // ends the page with Exit.
    InstallOutcome InstallFromPage(const std::function<void(HWND)>& prepare)
    {
        CPrinterSettingDlg page;
        InstallOutcome outcome;
        INT_PTR end = RunModalWithDriver(page, kSettingsCaption, [&](HWND hwnd) {
            prepare(hwnd);
            outcome = OnWindowsX64() ? page.InstallPrinterX64() : page.InstallPrinterX86();
            ClickButton(hwnd, IDC_PS_EXIT);
        });
        EXPECT_EQ(IDOK, end);
        return outcome;
    }

    CPortSelectDlg m_portPage;
    HWND m_progressBar = nullptr;
    CurrentDirectoryRestorer m_directory;
    std::string m_savedCom2;
};

}  // namespace

TEST_F(InstallationFromThePage, TheDefaultsInstallOnThePortPagesPortAndSetTheDefaultPrinter)
{
    m_portPage.m_strPort = "LPT1:";
    InstallOutcome outcome = InstallFromPage([](HWND) {});

    ASSERT_TRUE(outcome.succeeded) << static_cast<int>(outcome.failedStep) << " error " << outcome.errorCode;
    EXPECT_EQ("LPT1:", g_strPort);
    EXPECT_EQ("LPT1:", FindPrinter().port);
    EXPECT_TRUE(FindDriver(HostEnvironment()).found);
    EXPECT_EQ("VELM58KD,winspool,LPT1:", DeviceValue());
    EXPECT_EQ("marker", RegistryString(HKEY_LOCAL_MACHINE, kPortsKey, "COM2:"));
    EXPECT_EQ(100, m_portPage.m_progress.GetPos());
}

TEST_F(InstallationFromThePage, TheSerialPanelAndTheCheckBoxAreReadFromTheControls)
{
    m_portPage.m_strPort = "COM2:";
    InstallOutcome outcome = InstallFromPage([](HWND page) {
        SendDlgItemMessageA(page, IDC_PS_PORT_COMBO, CB_SETCURSEL, 4, 0);       // COM2
        SendDlgItemMessageA(page, IDC_PS_BAUD_COMBO, CB_SETCURSEL, 6, 0);       // 38400
        SendDlgItemMessageA(page, IDC_PS_PARITY_COMBO, CB_SETCURSEL, 0, 0);     // Even
        SendDlgItemMessageA(page, IDC_PS_DATABITS_COMBO, CB_SETCURSEL, 2, 0);   // 7
        SendDlgItemMessageA(page, IDC_PS_STOPBITS_COMBO, CB_SETCURSEL, 2, 0);   // 2
        SendDlgItemMessageA(page, IDC_PS_FLOW_COMBO, CB_SETCURSEL, 1, 0);       // XonXoff
        SendDlgItemMessageA(page, IDC_PS_SET_DEFAULT, BM_SETCHECK, BST_UNCHECKED, 0);
    });

    ASSERT_TRUE(outcome.succeeded) << static_cast<int>(outcome.failedStep) << " error " << outcome.errorCode;
    EXPECT_EQ("38400,E,7,2,x", RegistryString(HKEY_LOCAL_MACHINE, kPortsKey, "COM2:"));
    EXPECT_EQ("Other,winspool,FILE:", DeviceValue());
    EXPECT_EQ("COM2:", FindPrinter().port);
}

TEST_F(InstallationFromThePage, WithoutAPortPageNothingIsInstalled)
{
    g_pPortDlg = nullptr;
    InstallOutcome outcome = InstallFromPage([](HWND) {});
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_EQ(InstallStep::CheckPort, outcome.failedStep);
    EXPECT_FALSE(FindPrinter().found);
    EXPECT_FALSE(FindDriver(HostEnvironment()).found);
    EXPECT_EQ("Other,winspool,FILE:", DeviceValue());
}
