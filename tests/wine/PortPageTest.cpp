// The port page against Wine's real spooler and dialog manager, driven from a second thread.
#include <windows.h>
#include <commctrl.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "InstallationWineSupport.h"
#include "WineTestSupport.h"
#include "ui/Globals.h"
#include "system/HostArchitecture_win32.h"
#include "system/OsClassification.h"
#include "res/resource.h"
#include "ui/PortSelectDlg.h"
#include "ui/PrinterSettingDlg.h"

namespace {

// Wine's local port monitor's dialogs, as captioned in the zh_CN locale.
const wchar_t kAddLocalPortCaption[] = L"添加本地端口";
const wchar_t kConfigurePortCaption[] = L"设置打印端口";
// The description Wine's local ports carry in that locale.
const wchar_t kLocalPortDescription[] = L"本地端口";

// A text in the system code page, as the spooler's ANSI functions give it.
std::string AnsiText(const std::wstring& text)
{
    char buffer[256] = {};
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, buffer, sizeof(buffer), nullptr, nullptr);
    return buffer;
}

struct SpoolerPort {
    std::string name, description;
};

// The ports as the spooler reports them, asked directly.
std::vector<SpoolerPort> SpoolerPorts()
{
    DWORD needed = 0, count = 0;
    EnumPortsA(nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    std::vector<SpoolerPort> ports;
    if (!needed || !EnumPortsA(nullptr, 2, buffer.data(), needed, &needed, &count))
        return ports;
    auto* records = reinterpret_cast<PORT_INFO_2A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        ports.push_back({records[i].pPortName ? records[i].pPortName : "",
                         records[i].pDescription ? records[i].pDescription : ""});
    return ports;
}

int IndexOf(const std::vector<std::string>& texts, const std::string& text)
{
    auto found = std::find(texts.begin(), texts.end(), text);
    return found == texts.end() ? -1 : static_cast<int>(found - texts.begin());
}

std::string ColumnHeading(HWND list, int column)
{
    char text[128] = {};
    LVCOLUMNA info = {};
    info.mask = LVCF_TEXT;
    info.pszText = text;
    info.cchTextMax = sizeof(text);
    SendMessageA(list, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&info));
    return text;
}

int ColumnCount(HWND list)
{
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    return static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
}

void DeselectAll(HWND list)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
}

void SelectOnly(HWND list, int row)
{
    DeselectAll(list);
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

// A local port added or deleted ("AddPort", "DeletePort") through the local monitor's Xcv
// interface, by its Unicode name, as a port named on a system of another language arrives.
bool LocalPortByXcv(const wchar_t* command, const std::wstring& name)
{
    HANDLE xcv = nullptr;
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
    if (!OpenPrinterW(const_cast<wchar_t*>(L",XcvMonitor Local Port"), &xcv, &defaults))
        return false;
    DWORD needed = 0, status = 0;
    BOOL ok = XcvDataW(xcv, command, reinterpret_cast<BYTE*>(const_cast<wchar_t*>(name.c_str())),
                       static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t)), nullptr, 0, &needed, &status);
    ClosePrinter(xcv);
    return ok && status == ERROR_SUCCESS;
}

std::wstring RowTextW(HWND list, int row)
{
    wchar_t text[512] = {};
    LVITEMW item = {};
    item.pszText = text;
    item.cchTextMax = 512;
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

// The program's message box (its caption is the program's name), found among this process's windows.
HWND WaitForMessageBox(int timeoutMs = 5000)
{
    return WaitForTopWindow("wine_tests", GetCurrentProcessId(), timeoutMs);
}

class PortPage : public testing::Test {
protected:
    void SetUp() override
    {
        m_savedPrinterDlg = g_pPrinterDlg;
        m_savedPortDlg = g_pPortDlg;
        g_pPrinterDlg = nullptr;
        g_pPortDlg = &page;
    }
    void TearDown() override
    {
        g_pPrinterDlg = m_savedPrinterDlg;
        g_pPortDlg = m_savedPortDlg;
    }

    INT_PTR Run(const std::function<void(HWND)>& drive) { return RunModalWithDriver(page, kPortCaption, drive); }

    // Runs the page through `prepare` and "&Install", reads the message box that answers,
    // closes it with OK, notes whether the page stayed open, and leaves it with Cancel.
    struct InstallMessage {
        std::string text;
        bool pageStayed = false;
        INT_PTR end = 0;
    };
    InstallMessage InstallAndReadMessage(const std::function<void(HWND)>& prepare)
    {
        InstallMessage answer;
        answer.end = Run([&](HWND dialog) {
            prepare(dialog);
            ClickButton(dialog, IDC_PP_INSTALL);
            HWND box = WaitForMessageBox();
            if (!box)
                return;
            answer.text = AllStaticTexts(box);
            ClickButton(box, IDOK);
            WaitUntil([&] { return !IsWindow(box); });
            answer.pageStayed = IsWindow(dialog) != FALSE;
            ClickButton(dialog, IDC_PP_CANCEL);
        });
        return answer;
    }

    CPortSelectDlg page;

private:
    CPrinterSettingDlg* m_savedPrinterDlg = nullptr;
    CPortSelectDlg* m_savedPortDlg = nullptr;
};

TEST_F(PortPage, OpensWithTheSpoolersPortsAndDescriptionsLpt1SelectedAndTheProgressAtZero)
{
    std::vector<SpoolerPort> expected = SpoolerPorts();
    std::vector<std::string> expectedNames;
    for (const SpoolerPort& port : expected)
        expectedNames.push_back(port.name);
    ASSERT_GT(IndexOf(expectedNames, "LPT1:"), 0);
    ASSERT_GE(IndexOf(expectedNames, "COM1:"), 0);

    std::vector<std::string> names, descriptions, headings;
    std::vector<int> selected, widths;
    DWORD exStyle = 0;
    int low = -1, high = -1, position = -1;
    bool listHasFocus = false;
    DebugOutputCapture debug;
    INT_PTR end = Run([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_PP_PORT_LIST);
        names = ListColumnTexts(list, 0);
        descriptions = ListColumnTexts(list, 1);
        selected = ListSelectedRows(list);
        for (int column = 0; column < ColumnCount(list); ++column) {
            headings.push_back(ColumnHeading(list, column));
            widths.push_back(static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0)));
        }
        exStyle = static_cast<DWORD>(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
        HWND progress = GetDlgItem(dialog, IDC_PP_PROGRESS);
        low = static_cast<int>(SendMessageA(progress, PBM_GETRANGE, TRUE, 0));
        high = static_cast<int>(SendMessageA(progress, PBM_GETRANGE, FALSE, 0));
        position = static_cast<int>(SendMessageA(progress, PBM_GETPOS, 0, 0));
        listHasFocus = FocusOf(dialog) == list;
        ClickButton(dialog, IDC_PP_CANCEL);
    });
    std::vector<std::string> debugTexts = debug.Texts();  // before a failure report adds its own
    EXPECT_EQ(IDCANCEL, end);
    EXPECT_EQ(expectedNames, names);
    ASSERT_EQ(expected.size(), descriptions.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(expected[i].description, descriptions[i]) << expected[i].name;
    // Wine's local ports say "Local Port", translated in the zh_CN locale.
    std::string lpt1Description = descriptions[IndexOf(names, "LPT1:")];
    EXPECT_TRUE(lpt1Description == AnsiText(kLocalPortDescription) || lpt1Description == "Local Port")
        << lpt1Description;
    EXPECT_EQ(std::vector<int>{IndexOf(names, "LPT1:")}, selected);
    EXPECT_EQ((std::vector<std::string>{"Port", "Type"}), headings);
    EXPECT_EQ((std::vector<int>{150, 280}), widths);
    EXPECT_TRUE(exStyle & LVS_EX_GRIDLINES);
    EXPECT_TRUE(exStyle & LVS_EX_FULLROWSELECT);
    EXPECT_FALSE(exStyle & LVS_EX_TRACKSELECT);
    EXPECT_EQ(0, low);
    EXPECT_EQ(100, high);
    EXPECT_EQ(0, position);
    EXPECT_TRUE(listHasFocus);
    EXPECT_EQ("", page.m_strPort);

    // The real debug output: one line per listed port, in list order.
    std::vector<std::string> expectedLines;
    for (const std::string& name : expectedNames)
        expectedLines.push_back(name + "\n");
    EXPECT_EQ(expectedLines, debugTexts);
}

TEST_F(PortPage, BackCancelAndEscEndThePageWithIdCancelAndInstallNothing)
{
    EXPECT_EQ(IDCANCEL, Run([](HWND dialog) { ClickButton(dialog, IDC_PP_BACK); }));
    EXPECT_EQ(IDCANCEL, Run([](HWND dialog) { ClickButton(dialog, IDC_PP_CANCEL); }));
    EXPECT_EQ(IDCANCEL, Run([](HWND dialog) { PressKey(dialog, VK_ESCAPE); }));
    EXPECT_EQ("", page.m_strPort);
    EXPECT_FALSE(page.m_installSucceeded);
}

TEST_F(PortPage, EnterWhileTheListHasTheFocusIsIgnored)
{
    bool openAfterEnter = false;
    INT_PTR end = Run([&](HWND dialog) {
        PressKey(dialog, VK_RETURN);
        Sleep(700);
        openAfterEnter = IsWindow(dialog) && IsWindowVisible(dialog);
        ClickButton(dialog, IDC_PP_CANCEL);
    });
    EXPECT_TRUE(openAfterEnter);
    EXPECT_EQ(IDCANCEL, end);
    EXPECT_EQ("", page.m_strPort);
    EXPECT_FALSE(page.m_installSucceeded);
}

TEST_F(PortPage, InstallWithoutASelectedPortAsksForOneAndStays)
{
    CPrinterSettingDlg settings;  // never shown: an installation must not start at all
    g_pPrinterDlg = &settings;
    InstallMessage answer =
        InstallAndReadMessage([](HWND dialog) { DeselectAll(GetDlgItem(dialog, IDC_PP_PORT_LIST)); });
    EXPECT_EQ("Please select a port.", answer.text);
    EXPECT_TRUE(answer.pageStayed);
    EXPECT_EQ(IDCANCEL, answer.end);
    EXPECT_EQ("", page.m_strPort);
    EXPECT_FALSE(page.m_installSucceeded);
}

TEST_F(PortPage, InstallWithoutAPrinterSettingsPageSaysSoAndStays)
{
    InstallMessage answer = InstallAndReadMessage([](HWND) {});
    EXPECT_NE(std::string::npos, answer.text.find("nothing was installed")) << answer.text;
    EXPECT_TRUE(answer.pageStayed);
    EXPECT_EQ(IDCANCEL, answer.end);
    EXPECT_EQ("LPT1:", page.m_strPort);
    EXPECT_FALSE(page.m_installSucceeded);
}

TEST_F(PortPage, AFailedInstallationIsShownTheProgressGoesBackToZeroAndThePageStays)
{
    // No driver package in the current directory: the installation cannot succeed.
    CurrentDirectoryRestorer directory;
    std::string emptyDir = MakeTempDir("port-page");
    ASSERT_TRUE(directory.Enter(emptyDir));
    CPrinterSettingDlg settings;
    g_pPrinterDlg = &settings;

    bool boxShown = false, openAfterFailure = false;
    int positionDuringMessage = -1;
    INT_PTR end = Run([&](HWND dialog) {
        HWND progress = GetDlgItem(dialog, IDC_PP_PROGRESS);
        SendMessageA(progress, PBM_SETPOS, 40, 0);  // as a run that got under way
        ClickButton(dialog, IDC_PP_INSTALL);
        HWND box = WaitForMessageBox(20000);
        boxShown = box != nullptr;
        if (!box)
            return;
        positionDuringMessage = static_cast<int>(SendMessageA(progress, PBM_GETPOS, 0, 0));
        ClickButton(box, IDOK);
        WaitUntil([&] { return !IsWindow(box); });
        Sleep(300);
        openAfterFailure = IsWindow(dialog) != FALSE;
        ClickButton(dialog, IDC_PP_CANCEL);
    });
    EXPECT_TRUE(boxShown);
    EXPECT_EQ(0, positionDuringMessage);
    EXPECT_TRUE(openAfterFailure);
    EXPECT_EQ(IDCANCEL, end);
    EXPECT_EQ("LPT1:", page.m_strPort);
    EXPECT_FALSE(page.m_installSucceeded);
}

TEST_F(PortPage, APortNamedOutsideTheCodePageIsListedByItsNameAndRefusedWithTheSameName)
{
    // A file port under a Korean folder; zh_CN's code page 936 has no Hangul.
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring portName = std::wstring(temp) + L"\uD55C\uAD6D\\\uCD9C\uB825-" +
                                  std::to_wstring(GetCurrentProcessId()) + L".prn";
    BOOL lossy = FALSE;
    char ansi[MAX_PATH] = {};
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, portName.c_str(), -1, ansi, MAX_PATH, nullptr, &lossy);
    ASSERT_TRUE(lossy) << "the test needs a code page without Hangul (LANG=zh_CN.UTF-8: 936)";
    ASSERT_TRUE(LocalPortByXcv(L"AddPort", portName));
    bool ansiListsIt = false;
    for (const SpoolerPort& port : SpoolerPorts())
        ansiListsIt = ansiListsIt || port.name == ansi;

    CPrinterSettingDlg settings;  // never shown: an installation must not start at all
    g_pPrinterDlg = &settings;
    int row = -1, lpt1Row = -2;
    std::vector<int> selectedAtOpening;
    std::wstring installMessage, configureMessage;
    bool stayedAfterInstall = false, monitorDialogShown = false;
    INT_PTR end = Run([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_PP_PORT_LIST);
        selectedAtOpening = ListSelectedRows(list);
        lpt1Row = IndexOf(ListColumnTexts(list, 0), "LPT1:");
        const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        for (int at = 0; at < rows && row < 0; ++at)
            if (RowTextW(list, at) == portName)
                row = at;
        if (row < 0)
            return;
        SelectOnly(list, row);
        ClickButton(dialog, IDC_PP_INSTALL);
        if (HWND box = WaitForMessageBox()) {
            installMessage = AllStaticTextsW(box);
            ClickButton(box, IDOK);
            WaitUntil([&] { return !IsWindow(box); });
        }
        stayedAfterInstall = IsWindow(dialog) != FALSE;
        ClickButton(dialog, IDC_PP_CONFIGURE_PORT);
        if (HWND box = WaitForMessageBox()) {
            configureMessage = AllStaticTextsW(box);
            ClickButton(box, IDOK);
            WaitUntil([&] { return !IsWindow(box); });
        }
        if (HWND monitorDialog = WaitForTopWindowW(kConfigurePortCaption, 500)) {
            monitorDialogShown = true;
            ClickButton(monitorDialog, IDCANCEL);
        }
        ClickButton(dialog, IDC_PP_CANCEL);
    });
    LocalPortByXcv(L"DeletePort", portName);

    EXPECT_TRUE(ansiListsIt) << "the test's premise: EnumPortsA gives the name with question marks";
    ASSERT_GE(row, 0) << "the port is not listed by its own name";
    EXPECT_EQ(std::vector<int>{lpt1Row}, selectedAtOpening);
    EXPECT_NE(std::wstring::npos, installMessage.find(L"\"" + portName + L"\" cannot be used"));
    EXPECT_EQ(installMessage, configureMessage);
    EXPECT_FALSE(monitorDialogShown) << "the monitor was handed the name with question marks";
    EXPECT_TRUE(stayedAfterInstall);
    EXPECT_EQ(IDCANCEL, end);
    EXPECT_EQ("", page.m_strPort);
    EXPECT_FALSE(page.m_installSucceeded);
    EXPECT_FALSE(FindPrinter().found);
}

TEST_F(PortPage, ConfigurePortWithoutASelectedPortDoesNothing)
{
    HWND monitorDialog = nullptr;
    bool open = false;
    INT_PTR end = Run([&](HWND dialog) {
        DeselectAll(GetDlgItem(dialog, IDC_PP_PORT_LIST));
        ClickButton(dialog, IDC_PP_CONFIGURE_PORT);
        monitorDialog = WaitForTopWindowW(kConfigurePortCaption, 1500);
        if (monitorDialog)
            PostMessageW(monitorDialog, WM_COMMAND, IDCANCEL, 0);
        open = IsWindow(dialog) != FALSE;
        ClickButton(dialog, IDC_PP_CANCEL);
    });
    EXPECT_EQ(nullptr, monitorDialog);
    EXPECT_TRUE(open);
    EXPECT_EQ(IDCANCEL, end);
}

TEST_F(PortPage, ConfigurePortOpensTheMonitorsDialogForTheSelectedPortAndThePageStays)
{
    HWND monitorDialog = nullptr, owner = nullptr, pageWindow = nullptr;
    bool open = false;
    INT_PTR end = Run([&](HWND dialog) {
        pageWindow = dialog;
        ClickButton(dialog, IDC_PP_CONFIGURE_PORT);  // LPT1: is selected
        monitorDialog = WaitForTopWindowW(kConfigurePortCaption, 5000);
        if (!monitorDialog)
            return;
        owner = GetWindow(monitorDialog, GW_OWNER);
        PostMessageW(monitorDialog, WM_COMMAND, IDCANCEL, 0);
        WaitUntil([&] { return !IsWindow(monitorDialog); });
        Sleep(200);
        open = IsWindow(dialog) != FALSE;
        ClickButton(dialog, IDC_PP_CANCEL);
    });
    ASSERT_NE(nullptr, monitorDialog);
    EXPECT_EQ(pageWindow, owner);
    EXPECT_TRUE(open);
    EXPECT_EQ(IDCANCEL, end);
}

TEST_F(PortPage, APortCreatedThroughCreatePortAppearsInTheRefilledListWithTheDefaultRowChosenAgain)
{
    std::string portName = "C:\\porttest-" + std::to_string(GetCurrentProcessId()) + ".prn";
    std::wstring widePortName(portName.begin(), portName.end());
    bool createOpenAfterNewPort = false, createClosed = false;
    HWND addDialog = nullptr;
    std::vector<std::string> namesBefore, namesAfter;
    std::vector<int> selectedAfter, widthsAfter;
    int columnsAfter = 0;
    INT_PTR end = Run([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_PP_PORT_LIST);
        namesBefore = ListColumnTexts(list, 0);
        SelectOnly(list, 0);  // the user's choice, which the refill replaces
        ClickButton(dialog, IDC_PP_CREATE_PORT);
        HWND create = WaitForTopWindow("Create Port", GetCurrentProcessId());
        if (!create)
            return;
        ClickButton(create, IDC_CP_NEW_PORT);  // "Local Port", row 0, is selected
        addDialog = WaitForTopWindowW(kAddLocalPortCaption);
        if (!addDialog)
            return;
        SetDlgItemTextW(addDialog, 101, widePortName.c_str());
        ClickButton(addDialog, IDOK);
        WaitUntil([&] { return !IsWindow(addDialog); });
        Sleep(200);
        createOpenAfterNewPort = IsWindow(create) != FALSE;
        ClickButton(create, IDC_CP_CLOSE);
        createClosed = WaitUntil([&] { return !IsWindow(create); });
        WaitUntil([&] { return IndexOf(ListColumnTexts(list, 0), portName) >= 0; }, 5000);
        namesAfter = ListColumnTexts(list, 0);
        selectedAfter = ListSelectedRows(list);
        columnsAfter = ColumnCount(list);
        for (int column = 0; column < columnsAfter; ++column)
            widthsAfter.push_back(static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0)));
        ClickButton(dialog, IDC_PP_CANCEL);
    });
    bool created = false;
    for (const SpoolerPort& port : SpoolerPorts())
        created = created || port.name == portName;
    if (created)
        DeletePortA(nullptr, nullptr, const_cast<char*>(portName.c_str()));

    ASSERT_NE(nullptr, addDialog);
    EXPECT_TRUE(createOpenAfterNewPort);
    EXPECT_TRUE(createClosed);
    EXPECT_TRUE(created);
    EXPECT_EQ(-1, IndexOf(namesBefore, portName));
    EXPECT_EQ(namesBefore.size() + 1, namesAfter.size());
    EXPECT_GE(IndexOf(namesAfter, portName), 0);
    EXPECT_EQ(std::vector<int>{IndexOf(namesAfter, "LPT1:")}, selectedAfter);
    EXPECT_EQ(2, columnsAfter);
    EXPECT_EQ((std::vector<int>{150, 280}), widthsAfter);
    EXPECT_EQ(IDCANCEL, end);
}

}  // namespace

// "&Install" for real, from the printer settings page's "&Next >", with the sample package.
namespace {

std::vector<int> g_progressPositions;

// Sees every PBM_SETPOS that reaches the port page's progress bar on this thread, even while
// the installation keeps the thread from reading messages.
LRESULT CALLBACK RecordProgress(int code, WPARAM wParam, LPARAM lParam)
{
    auto* message = reinterpret_cast<CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == PBM_SETPOS && GetDlgCtrlID(message->hwnd) == IDC_PP_PROGRESS)
        g_progressPositions.push_back(static_cast<int>(message->wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class PortPageInstallation : public testing::Test {
protected:
    void SetUp() override
    {
        std::string package = MakeTempDir("port-install");
        ASSERT_TRUE(CopyTree(SamplePackageDir(), package));
        ASSERT_TRUE(m_directory.Enter(package));
        RemovePrinterAndDriver();
        ClassifyOs();  // as the operating-system page does before
    }
    void TearDown() override { RemovePrinterAndDriver(); }

    CurrentDirectoryRestorer m_directory;
};

TEST_F(PortPageInstallation, InstallRunsTheInstallationOnTheSelectedPortMovesTheBarTo100AndEndsThePage)
{
    ASSERT_TRUE(IsNtFamily(g_nOsKind));
    g_progressPositions.clear();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, &RecordProgress, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, hook);

    CPrinterSettingDlg settings;
    bool portPageOpened = false, portPageClosed = false;
    std::string completion;
    INT_PTR end = RunModalWithDriver(settings, kSettingsCaption, [&](HWND settingsWindow) {
        ClickButton(settingsWindow, IDC_PS_NEXT);
        HWND page = WaitForTopWindow(kPortCaption, GetCurrentProcessId());
        portPageOpened = page != nullptr;
        if (!page)
            return;
        ClickButton(page, IDC_PP_INSTALL);  // LPT1:, the default row
        portPageClosed = WaitUntil([&] { return !IsWindow(page); }, 30000);
        HWND box = WaitForMessageBox(10000);
        if (!box)
            return;
        completion = AllStaticTexts(box);
        ClickButton(box, IDOK);
    });
    UnhookWindowsHookEx(hook);

    EXPECT_TRUE(portPageOpened);
    EXPECT_TRUE(portPageClosed);
    EXPECT_EQ("Completed!", completion);
    EXPECT_EQ(IDOK, end);
    EXPECT_EQ("LPT1:", g_strPort);
    EXPECT_EQ("LPT1:", FindPrinter().port);
    EXPECT_TRUE(FindDriver(HostEnvironment()).found);
    // 0 when the page opened, then the installation's positions from 10 up to 100.
    ASSERT_GE(g_progressPositions.size(), 3u);
    EXPECT_EQ(0, g_progressPositions.front());
    EXPECT_EQ(10, g_progressPositions[1]);
    EXPECT_EQ(100, g_progressPositions.back());
    EXPECT_TRUE(std::is_sorted(g_progressPositions.begin(), g_progressPositions.end()));
}

// What Windows 11 on ARM tells an emulated x64 process: not under WOW64, native ARM64.
BOOL WINAPI ReportArm64Host(HANDLE, USHORT* processMachine, USHORT* nativeMachine)
{
    *processMachine = kMachineUnknown;
    *nativeMachine = kMachineArm64;
    return TRUE;
}

TEST_F(PortPageInstallation, OnArm64APackageWithoutArm64DriverInstallsNothingAndSaysSo)
{
    g_isWow64Process2ForTests = &ReportArm64Host;
    ASSERT_EQ(HostArchitecture::Arm64, CurrentHostArchitecture());
    const std::string x64Directory = DriverDirectory(HostEnvironment());
    DeletePackageFiles(x64Directory);

    CPrinterSettingDlg settings;
    std::string message;
    bool pageStayed = false;
    RunModalWithDriver(settings, kSettingsCaption, [&](HWND settingsWindow) {
        ClickButton(settingsWindow, IDC_PS_NEXT);
        HWND page = WaitForTopWindow(kPortCaption, GetCurrentProcessId());
        if (!page)
            return;
        ClickButton(page, IDC_PP_INSTALL);
        HWND box = WaitForMessageBox(10000);
        if (box) {
            message = AllStaticTexts(box);
            ClickButton(box, IDOK);
            WaitUntil([&] { return !IsWindow(box); });
        }
        pageStayed = IsWindow(page) != FALSE;
        ClickButton(page, IDC_PP_CANCEL);
        WaitUntil([&] { return !IsWindow(page); });
        ClickButton(settingsWindow, IDC_PS_EXIT);
    });
    g_isWow64Process2ForTests = nullptr;

    EXPECT_NE(std::string::npos, message.find("This driver package has no printer driver for ARM64 Windows")) << message;
    EXPECT_NE(std::string::npos, message.find("Printer Driver\\arm64\\")) << message;
    EXPECT_TRUE(pageStayed);
    EXPECT_FALSE(FindPrinter().found);
    EXPECT_FALSE(FindDriver(HostEnvironment()).found);
    EXPECT_FALSE(FileExists(x64Directory + "\\QRX58.DLL")) << "nothing copied";
}

}  // namespace
