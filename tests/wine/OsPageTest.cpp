// The operating-system page under Wine: its controls against template 129, the radio button
// that each reported Windows version checks, its end codes and the two hidden launchers.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "InstallationWineSupport.h"
#include "WineTestSupport.h"
#include "system/HostArchitecture.h"
#include "system/HostArchitecture_win32.h"
#include "system/OsClassification.h"
#include "res/resource.h"
#include "ui/OsSelectDlg.h"

namespace {

struct ExpectedControl {
    int id;
    const char* className;
    const char* text;
    RECT box;  // dialog units: x, y, width, height
    bool visible;
    bool group;
    bool tabStop;
    bool disabled;
};

// Template 129, in template order (which is also the z-order and the tab order).
const ExpectedControl kTemplate[] = {
    {IDC_STATIC, "Button", "Select OS", {7, 19, 237, 77}, true, true, false, false},
    {IDC_OS_RADIO_VISTA, "Button", "Windows Vista", {15, 62, 68, 10}, true, false, false, false},
    {IDC_OS_RADIO_95, "Button", "Windows 95", {13, 7, 54, 10}, false, false, false, false},
    {IDC_OS_RADIO_98, "Button", "Windows 98", {85, 7, 54, 10}, false, false, false, false},
    {IDC_OS_RADIO_NT4, "Button", "Windows NT4.0", {155, 7, 65, 10}, false, false, false, false},
    {IDC_OS_RADIO_2000, "Button", "Windows 2000", {15, 39, 62, 10}, true, false, false, false},
    {IDC_OS_RADIO_XP, "Button", "Windows XP", {87, 37, 55, 10}, true, false, false, false},
    {IDC_OS_RADIO_2003, "Button", "Windows 2003", {157, 37, 64, 10}, true, false, false, false},
    {IDC_OS_SLIDER, "msctls_trackbar32", "Slider1", {7, 109, 237, 6}, false, false, true, false},
    {IDC_OS_BACK, "Button", "< &Back", {189, 123, 49, 17}, false, false, true, true},
    {IDC_OS_INSTALL_DRIVER, "Button", "Install Printer Driver (&N) >", {15, 147, 157, 18}, true, false, true, false},
    {IDC_OS_EXIT, "Button", "&Exit", {189, 147, 49, 18}, true, false, true, false},
    {IDC_OS_RADIO_7, "Button", "Windows 7", {87, 62, 53, 10}, true, false, false, false},
    {IDC_OS_RADIO_8_10, "Button", "", {157, 62, 8, 8}, true, false, false, false},
    {IDC_STATIC, "Static", "This Driver is suitable for Windows x86 and x64 OS.", {7, 175, 205, 8}, true, true, false, false},
    {IDC_OS_USB_SERIAL_SETUP, "Button", "Install USB Virtual Serial Port Driver", {15, 123, 157, 18}, false, false, true, false},
    {IDC_OS_USB_SECOND_SETUP, "Button", "Button5", {7, 77, 50, 14}, false, false, true, false},
    {IDC_OS_HIDDEN_EDIT, "Edit", "", {7, 95, 215, 12}, false, false, true, false},
    {IDC_STATIC, "Static", "Windows 8", {169, 57, 37, 8}, true, true, false, false},
    {IDC_STATIC, "Static", "Windows 10", {169, 67, 41, 8}, true, true, false, false},
};

const int kRadioButtons[] = {IDC_OS_RADIO_95,  IDC_OS_RADIO_98,  IDC_OS_RADIO_NT4,   IDC_OS_RADIO_2000, IDC_OS_RADIO_XP,
                             IDC_OS_RADIO_2003, IDC_OS_RADIO_VISTA, IDC_OS_RADIO_7, IDC_OS_RADIO_8_10};

std::vector<int> CheckedRadioButtons(HWND dialog)
{
    std::vector<int> checked;
    for (int id : kRadioButtons) {
        if (IsChecked(dialog, id))
            checked.push_back(id);
    }
    return checked;
}

TEST(OsPage, ControlsMatchTheTemplate)
{
    COsSelectDlg page;
    INT_PTR result = RunModalWithDriver(page, kOsCaption, [](HWND dialog) {
        LONG style = GetWindowLongA(dialog, GWL_STYLE);
        EXPECT_TRUE(style & WS_CAPTION);
        EXPECT_TRUE(style & WS_SYSMENU);
        EXPECT_TRUE(style & DS_MODALFRAME);
        EXPECT_FALSE(style & WS_MINIMIZEBOX);

        std::vector<HWND> children;
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            children.push_back(child);
        ASSERT_EQ(sizeof(kTemplate) / sizeof(kTemplate[0]), children.size());
        for (size_t i = 0; i < children.size(); ++i) {
            const ExpectedControl& expected = kTemplate[i];
            HWND child = children[i];
            SCOPED_TRACE(testing::Message() << "control " << i << " \"" << expected.text << "\"");
            LONG childStyle = GetWindowLongA(child, GWL_STYLE);
            EXPECT_EQ(expected.id, static_cast<int>(static_cast<short>(GetDlgCtrlID(child))));
            EXPECT_EQ(expected.className, ClassOf(child));
            EXPECT_EQ(expected.text, WindowText(child));
            EXPECT_EQ(expected.visible, (childStyle & WS_VISIBLE) != 0);
            EXPECT_EQ(expected.group, (childStyle & WS_GROUP) != 0);
            // The button control gives a checked radio button the tab stop, and takes it back.
            bool checkedRadio = (childStyle & BS_TYPEMASK) == BS_AUTORADIOBUTTON &&
                                SendMessageA(child, BM_GETCHECK, 0, 0) == BST_CHECKED;
            EXPECT_EQ(expected.tabStop || checkedRadio, (childStyle & WS_TABSTOP) != 0);
            EXPECT_EQ(expected.disabled, (childStyle & WS_DISABLED) != 0);

            // Position and size convert from dialog units separately, as the dialog manager does.
            RECT position = {expected.box.left, expected.box.top, expected.box.right, expected.box.bottom};
            MapDialogRect(dialog, &position);
            RECT actual;
            GetWindowRect(child, &actual);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
            EXPECT_EQ(position.left, actual.left);
            EXPECT_EQ(position.top, actual.top);
            EXPECT_EQ(position.right, actual.right - actual.left);
        }
        for (int id : kRadioButtons)
            EXPECT_EQ(BS_AUTORADIOBUTTON, GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & BS_TYPEMASK) << id;
        // The page gives the focus to the first visible tab stop.
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
        EXPECT_EQ(GetDlgItem(dialog, IDC_OS_INSTALL_DRIVER), info.hwndFocus);
        ClickButton(dialog, IDC_OS_EXIT);
    });
    EXPECT_EQ(IDCANCEL, result);
}

TEST(OsPage, TheNineRadioButtonsFormOneGroup)
{
    COsSelectDlg page;
    RunModalWithDriver(page, kOsCaption, [](HWND dialog) {
        for (int id : {IDC_OS_RADIO_XP, IDC_OS_RADIO_8_10, IDC_OS_RADIO_2000}) {
            SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
            EXPECT_EQ(std::vector<int>({id}), CheckedRadioButtons(dialog));
        }
        // The hidden ones belong to the same group: the dialog manager walks all nine.
        HWND first = GetDlgItem(dialog, IDC_OS_RADIO_VISTA);
        int members = 0;
        HWND item = first;
        do {
            ++members;
            item = GetNextDlgGroupItem(dialog, item, FALSE);
        } while (item && item != first && members < 50);
        EXPECT_GE(members, 9);
        ClickButton(dialog, IDC_OS_EXIT);
    });
}

TEST(OsPage, EndCodes)
{
    struct Case {
        const char* how;
        void (*act)(HWND);
        INT_PTR expected;
    } cases[] = {
        {"Exit", [](HWND d) { ClickButton(d, IDC_OS_EXIT); }, IDCANCEL},
        {"Esc", [](HWND d) { PressKey(d, VK_ESCAPE); }, IDCANCEL},
        {"close box", [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }, IDCANCEL},
        {"Install Printer Driver", [](HWND d) { ClickButton(d, IDC_OS_INSTALL_DRIVER); }, IDOK},
        {"Enter on the focused Install button", [](HWND d) { PressKey(d, VK_RETURN); }, IDOK},
        {"IDOK command", [](HWND d) { PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }, IDOK},
    };
    for (const Case& c : cases) {
        COsSelectDlg page;
        EXPECT_EQ(c.expected, RunModalWithDriver(page, kOsCaption, c.act)) << c.how;
    }
}

TEST(OsPage, HiddenBackButtonDoesNothing)
{
    COsSelectDlg page;
    INT_PTR result = RunModalWithDriver(page, kOsCaption, [](HWND dialog) {
        ClickButton(dialog, IDC_OS_BACK);
        Sleep(300);
        EXPECT_TRUE(IsWindow(dialog));
        ClickButton(dialog, IDC_OS_INSTALL_DRIVER);
    });
    EXPECT_EQ(IDOK, result);
}

TEST(OsPage, ShowingAgainMarksTheDetectedSystemNotTheLastClick)
{
    COsSelectDlg page;
    std::vector<int> firstShowing, secondShowing;
    RunModalWithDriver(page, kOsCaption, [&](HWND dialog) {
        firstShowing = CheckedRadioButtons(dialog);
        SendMessageA(GetDlgItem(dialog, IDC_OS_RADIO_XP), BM_CLICK, 0, 0);
        ClickButton(dialog, IDC_OS_INSTALL_DRIVER);
    });
    RunModalWithDriver(page, kOsCaption, [&](HWND dialog) {
        secondShowing = CheckedRadioButtons(dialog);
        ClickButton(dialog, IDC_OS_EXIT);
    });
    ASSERT_EQ(1u, firstShowing.size());
    EXPECT_NE(IDC_OS_RADIO_XP, firstShowing[0]) << "the test needs a detected system other than XP";
    EXPECT_EQ(firstShowing, secondShowing);
    EXPECT_EQ(COsSelectDlg::RadioButtonForOsKind(g_nOsKind), firstShowing[0]);
}

// The real program, started under each Windows version Wine can report to it.
TEST(OsPage, ChecksTheRadioButtonOfTheReportedWindowsVersion)
{
    struct Case {
        const char* wineVersion;
        int radio;
        bool visible;
    } cases[] = {
        {"win2k", IDC_OS_RADIO_2000, true}, {"winxp64", IDC_OS_RADIO_2003, true},
        {"vista", IDC_OS_RADIO_VISTA, true}, {"win7", IDC_OS_RADIO_7, true},
        {"win10", IDC_OS_RADIO_8_10, true},
    };
    std::string folder = MakeTempDir("ospage");
    ASSERT_TRUE(CopyTree(SamplePackageDir(), folder));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wineVersion);
        SetWineVersionFor("PrinterSetup.exe", c.wineVersion);
        StartedProgram program;
        ASSERT_TRUE(StartProgram(folder + "\\PrinterSetup.exe", "", folder, program));
        HWND page = WaitForTopWindow(kOsCaption, program.pid);
        ASSERT_NE(nullptr, page);
        EXPECT_EQ(std::vector<int>({c.radio}), CheckedRadioButtons(page));
        EXPECT_EQ(c.visible, IsWindowVisible(GetDlgItem(page, c.radio)) != FALSE);
        ClickButton(page, IDC_OS_EXIT);
        EXPECT_EQ(0u, program.WaitForExit());
    }
    SetWineVersionFor("PrinterSetup.exe", "");
}

TEST(OsPage, RadioButtonTableCoversEveryCode)
{
    EXPECT_EQ(0, COsSelectDlg::RadioButtonForOsKind(0));
    EXPECT_EQ(IDC_OS_RADIO_95, COsSelectDlg::RadioButtonForOsKind(1));
    EXPECT_EQ(IDC_OS_RADIO_98, COsSelectDlg::RadioButtonForOsKind(2));
    EXPECT_EQ(IDC_OS_RADIO_NT4, COsSelectDlg::RadioButtonForOsKind(3));
    EXPECT_EQ(IDC_OS_RADIO_2000, COsSelectDlg::RadioButtonForOsKind(4));
    EXPECT_EQ(IDC_OS_RADIO_XP, COsSelectDlg::RadioButtonForOsKind(5));
    EXPECT_EQ(IDC_OS_RADIO_2003, COsSelectDlg::RadioButtonForOsKind(6));
    EXPECT_EQ(IDC_OS_RADIO_VISTA, COsSelectDlg::RadioButtonForOsKind(7));
    EXPECT_EQ(IDC_OS_RADIO_7, COsSelectDlg::RadioButtonForOsKind(8));
    EXPECT_EQ(IDC_OS_RADIO_8_10, COsSelectDlg::RadioButtonForOsKind(9));
    EXPECT_EQ(0, COsSelectDlg::RadioButtonForOsKind(10));
}

// The hidden launcher buttons start the installer kept in the package under the current
// directory, not beside the program.
class UsbLauncher : public testing::Test {
protected:
    void SetUp() override
    {
        m_package = MakeTempDir("usbpkg");
        ASSERT_TRUE(CopyTree(SamplePackageDir(), m_package));
        ASSERT_TRUE(m_directory.Enter(m_package));
    }

    void ClickOnPage(int button)
    {
        COsSelectDlg page;
        RunModalWithDriver(page, kOsCaption, [button](HWND dialog) {
            ClickButton(dialog, button);
            Sleep(200);
            ClickButton(dialog, IDC_OS_EXIT);
        });
    }

    std::string m_package;
    CurrentDirectoryRestorer m_directory;
};

TEST_F(UsbLauncher, SerialDriverButtonStartsTheInstallerForThisArchitecture)
{
    // The 64-bit build, and the 32-bit one under WOW64, count as running on a 64-bit Windows.
    ASSERT_EQ(OnWindowsX64(), IsWow64Host());
    ClickOnPage(IDC_OS_USB_SERIAL_SETUP);
    std::string marker = m_package + "\\" + HostUsbInstaller() + ".started";
    EXPECT_TRUE(WaitUntil([&] { return FileExists(marker); }));
    EXPECT_FALSE(FileExists(m_package + (OnWindowsX64() ? "\\USB Driver\\x86\\dpinstx86.exe.started"
                                                        : "\\USB Driver\\x64\\dpinstx64.exe.started")));
    EXPECT_FALSE(FileExists(m_package + "\\USBdriver\\x86\\dpinst.exe.started"));
    EXPECT_EQ(m_package, ReadFileText(marker)) << "started in the wizard's current directory";
}

TEST_F(UsbLauncher, SecondButtonStartsTheDpinstInUsbdriver)
{
    ClickOnPage(IDC_OS_USB_SECOND_SETUP);
    EXPECT_TRUE(WaitUntil([&] { return FileExists(m_package + "\\USBdriver\\x86\\dpinst.exe.started"); }));
    EXPECT_FALSE(FileExists(m_package + "\\USB Driver\\x64\\dpinstx64.exe.started"));
}

TEST_F(UsbLauncher, AMissingInstallerPassesSilently)
{
    ASSERT_TRUE(DeleteFileA((m_package + "\\" + HostUsbInstaller()).c_str()));
    COsSelectDlg page;
    INT_PTR result = RunModalWithDriver(page, kOsCaption, [](HWND dialog) {
        ClickButton(dialog, IDC_OS_USB_SERIAL_SETUP);
        Sleep(300);
        EXPECT_TRUE(IsWindow(dialog)) << "the page stays";
        ClickButton(dialog, IDC_OS_EXIT);
    });
    EXPECT_EQ(IDCANCEL, result);
}

BOOL WINAPI ReportArm64Host(HANDLE, USHORT* processMachine, USHORT* nativeMachine)
{
    *processMachine = kMachineUnknown;  // an x64 process emulated on ARM64 is not under WOW64
    *nativeMachine = kMachineArm64;
    return TRUE;
}

TEST_F(UsbLauncher, OnArm64NoInstallerStartsAndThePageSaysWhy)
{
    g_isWow64Process2ForTests = &ReportArm64Host;
    std::string message;
    COsSelectDlg page;
    RunModalWithDriver(page, kOsCaption, [&](HWND dialog) {
        ClickButton(dialog, IDC_OS_USB_SERIAL_SETUP);
        HWND box = WaitForTopWindow("wine_tests", GetCurrentProcessId(), 5000);
        if (box) {
            message = AllStaticTexts(box);
            ClickButton(box, IDOK);
            WaitUntil([&] { return !IsWindow(box); });
        }
        ClickButton(dialog, IDC_OS_EXIT);
    });
    g_isWow64Process2ForTests = nullptr;
    Sleep(300);  // a started installer would have left its marker by now
    EXPECT_NE(std::string::npos, message.find("no USB serial driver for ARM64 Windows")) << message;
    EXPECT_FALSE(FileExists(m_package + "\\USB Driver\\x64\\dpinstx64.exe.started"));
    EXPECT_FALSE(FileExists(m_package + "\\USB Driver\\x86\\dpinstx86.exe.started"));
}

}  // namespace
