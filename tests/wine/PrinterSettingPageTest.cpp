// The printer settings page under Wine: its controls against template 102, the model and
// serial defaults, the serial panel's enabling rule, the About box on the system menu, the
// icon, the end codes of its buttons and keys, and a port page that was left with Back.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WineTestSupport.h"
#include "ui/Globals.h"
#include "install/ModelCatalogue.h"
#include "res/resource.h"
#include "ui/PrinterSettingDlg.h"

namespace {

const wchar_t kAboutCaption[] = L"关于 TOLV";

struct ExpectedControl {
    int id;
    const char* className;
    const wchar_t* text;  // nullptr: not compared (combo boxes show their selection)
    RECT box;             // dialog units: x, y, width, height
    bool visible;
};

// Template 102, in template order (which is also the z-order and the tab order).
const ExpectedControl kTemplate[] = {
    {IDC_PS_MODEL_COMBO, "ComboBox", nullptr, {77, 19, 206, 165}, true},
    {IDC_STATIC, "Button", L"Printer Setting", {7, 48, 350, 54}, true},
    {IDC_STATIC, "Button", L"打印机端口设置", {7, 108, 350, 94}, false},
    {IDC_STATIC, "Static", L"Install Module", {20, 21, 56, 8}, true},
    {IDC_PS_SET_DEFAULT, "Button", L"Set Default Printer", {20, 59, 115, 10}, true},
    {IDC_STATIC, "Static", L"Printer Name", {20, 79, 51, 8}, true},
    {IDC_PS_PRINTER_NAME, "Edit", nullptr, {77, 77, 204, 15}, true},
    {IDC_PS_PORT_COMBO, "ComboBox", nullptr, {58, 123, 65, 86}, false},
    {IDC_PS_BAUD_COMBO, "ComboBox", nullptr, {58, 149, 65, 112}, false},
    {IDC_PS_DATABITS_COMBO, "ComboBox", nullptr, {58, 172, 65, 60}, false},
    {IDC_PS_FLOW_COMBO, "ComboBox", nullptr, {286, 149, 65, 60}, false},
    {IDC_PS_PARITY_COMBO, "ComboBox", nullptr, {171, 172, 65, 68}, false},
    {IDC_PS_STOPBITS_COMBO, "ComboBox", nullptr, {171, 149, 65, 55}, false},
    {IDC_STATIC, "Static", L"端口", {20, 127, 17, 8}, false},
    {IDC_STATIC, "Static", L"波特率", {20, 148, 25, 8}, false},
    {IDC_STATIC, "Static", L"字节长度", {20, 171, 33, 8}, false},
    {IDC_STATIC, "Static", L"停止位", {135, 151, 25, 8}, false},
    {IDC_STATIC, "Static", L"校验位", {135, 172, 25, 8}, false},
    {IDC_STATIC, "Static", L"流控制", {240, 153, 25, 8}, false},
    {IDC_PS_BACK, "Button", L"< &Back", {161, 207, 55, 15}, true},
    {IDC_PS_NEXT, "Button", L"&Next >", {225, 207, 54, 15}, true},
    {IDC_PS_EXIT, "Button", L"&Exit", {290, 207, 57, 15}, true},
    {IDC_STATIC, "Static", L"This Driver is suitable for Windows x86 and x64 OS.", {7, 226, 205, 8}, true},
};

const int kSerialCombos[] = {IDC_PS_BAUD_COMBO, IDC_PS_DATABITS_COMBO, IDC_PS_STOPBITS_COMBO, IDC_PS_PARITY_COMBO,
                             IDC_PS_FLOW_COMBO};

std::wstring WideText(HWND hwnd)
{
    wchar_t text[512] = {};
    GetWindowTextW(hwnd, text, 512);
    return text;
}

std::vector<std::string> ComboItems(HWND combo)
{
    std::vector<std::string> items;
    int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

int CurSel(HWND dialog, int id)
{
    return static_cast<int>(SendMessageA(GetDlgItem(dialog, id), CB_GETCURSEL, 0, 0));
}

// Selects an item as a person does with the mouse: the combo box changes its selection,
// then tells its dialog with CBN_SELCHANGE.
void SelectComboItem(HWND dialog, int id, int index)
{
    HWND combo = GetDlgItem(dialog, id);
    SendMessageA(combo, CB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

std::vector<bool> SerialCombosEnabled(HWND dialog)
{
    std::vector<bool> enabled;
    for (int id : kSerialCombos)
        enabled.push_back(IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE);
    return enabled;
}

const std::vector<bool> kAllEnabled(5, true), kAllDisabled(5, false);

struct WideWindowSearch {
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK MatchWideCaption(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<WideWindowSearch*>(param);
    if (IsWindowVisible(hwnd) && WideText(hwnd) == search->caption) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// A visible window of the page's thread with this (Unicode) caption.
HWND WaitForThreadWindow(HWND sameThreadAs, const wchar_t* caption, int timeoutMs = 10000)
{
    DWORD thread = GetWindowThreadProcessId(sameThreadAs, nullptr);
    HWND found = nullptr;
    WaitUntil(
        [&] {
            WideWindowSearch search{caption, nullptr};
            EnumThreadWindows(thread, &MatchWideCaption, reinterpret_cast<LPARAM>(&search));
            return (found = search.found) != nullptr;
        },
        timeoutMs);
    return found;
}

std::string DisplayName()
{
    return DecodeModelName(kModelRecords[0].displayNameCode, kModelRecords[0].displayNameKey);
}

TEST(PrinterSettingPage, ControlsMatchTheTemplate)
{
    CPrinterSettingDlg page;
    INT_PTR result = RunModalWithDriver(page, kSettingsCaption, [](HWND dialog) {
        LONG style = GetWindowLongA(dialog, GWL_STYLE);
        EXPECT_TRUE(style & WS_CAPTION);
        EXPECT_TRUE(style & WS_SYSMENU);
        EXPECT_TRUE(style & DS_MODALFRAME);
        EXPECT_FALSE(style & WS_MINIMIZEBOX);
        EXPECT_TRUE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW) << "its own taskbar button";
        RECT size = {0, 0, 364, 239}, client = {};
        MapDialogRect(dialog, &size);
        GetClientRect(dialog, &client);
        EXPECT_EQ(size.right, client.right);
        EXPECT_EQ(size.bottom, client.bottom);

        std::vector<HWND> children;
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            children.push_back(child);
        ASSERT_EQ(sizeof(kTemplate) / sizeof(kTemplate[0]), children.size());
        for (size_t i = 0; i < children.size(); ++i) {
            const ExpectedControl& expected = kTemplate[i];
            HWND child = children[i];
            SCOPED_TRACE(testing::Message() << "control " << i << " (ID " << expected.id << ")");
            LONG childStyle = GetWindowLongA(child, GWL_STYLE);
            EXPECT_EQ(expected.id, static_cast<int>(static_cast<short>(GetDlgCtrlID(child))));
            EXPECT_EQ(expected.className, ClassOf(child));
            if (expected.text)
                EXPECT_EQ(std::wstring(expected.text), WideText(child));
            EXPECT_EQ(expected.visible, (childStyle & WS_VISIBLE) != 0);
            bool pushButton = expected.className == std::string("Button") && expected.id >= IDC_PS_BACK &&
                              expected.id <= IDC_PS_EXIT;
            if (pushButton)
                EXPECT_EQ(BS_PUSHBUTTON, childStyle & BS_TYPEMASK) << "no default push button";
            if (expected.className == std::string("ComboBox")) {
                EXPECT_EQ(CBS_DROPDOWNLIST, childStyle & 3);
                EXPECT_FALSE(childStyle & CBS_SORT);
                EXPECT_TRUE(childStyle & WS_TABSTOP);
            }

            RECT position = expected.box;
            MapDialogRect(dialog, &position);
            RECT actual;
            GetWindowRect(child, &actual);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
            EXPECT_EQ(position.left, actual.left);
            EXPECT_EQ(position.top, actual.top);
            EXPECT_EQ(position.right, actual.right - actual.left);
            // A combo box's height in the template includes its drop-down list.
            if (expected.className != std::string("ComboBox"))
                EXPECT_EQ(position.bottom, actual.bottom - actual.top);
        }
        LONG check = GetWindowLongA(GetDlgItem(dialog, IDC_PS_SET_DEFAULT), GWL_STYLE);
        EXPECT_EQ(BS_AUTOCHECKBOX, check & BS_TYPEMASK);
        LONG edit = GetWindowLongA(GetDlgItem(dialog, IDC_PS_PRINTER_NAME), GWL_STYLE);
        EXPECT_TRUE(edit & ES_READONLY);
        EXPECT_TRUE(edit & ES_AUTOHSCROLL);
        ClickButton(dialog, IDC_PS_EXIT);
    });
    EXPECT_EQ(IDOK, result);
}

TEST(PrinterSettingPage, StartsWithTheModelAndTheSerialDefaults)
{
    CPrinterSettingDlg page;
    g_pPrinterDlg = nullptr;
    RunModalWithDriver(page, kSettingsCaption, [&page](HWND dialog) {
        EXPECT_EQ(&page, g_pPrinterDlg) << "published for the installation";
        // The template's six model entries are replaced by the one decoded display name.
        std::string name = DisplayName();
        ASSERT_EQ(8u, name.size());
        EXPECT_EQ(std::vector<std::string>({name}), ComboItems(GetDlgItem(dialog, IDC_PS_MODEL_COMBO)));
        EXPECT_EQ(0, CurSel(dialog, IDC_PS_MODEL_COMBO));
        EXPECT_EQ(name, ControlText(dialog, IDC_PS_PRINTER_NAME));
        EXPECT_EQ(BST_CHECKED, SendMessageA(GetDlgItem(dialog, IDC_PS_SET_DEFAULT), BM_GETCHECK, 0, 0));

        // The lists in the order of the registry tables, which index them by selection.
        EXPECT_EQ(std::vector<std::string>({"LPT1", "LPT2", "LPT3", "COM1", "COM2", "COM3", "COM4"}),
                  ComboItems(GetDlgItem(dialog, IDC_PS_PORT_COMBO)));
        EXPECT_EQ(std::vector<std::string>({"300", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"}),
                  ComboItems(GetDlgItem(dialog, IDC_PS_BAUD_COMBO)));
        EXPECT_EQ(std::vector<std::string>({"5", "6", "7", "8"}), ComboItems(GetDlgItem(dialog, IDC_PS_DATABITS_COMBO)));
        EXPECT_EQ(std::vector<std::string>({"1", "1.5", "2"}), ComboItems(GetDlgItem(dialog, IDC_PS_STOPBITS_COMBO)));
        EXPECT_EQ(std::vector<std::string>({"Even", "Mark", "None", "Odd", "Space"}),
                  ComboItems(GetDlgItem(dialog, IDC_PS_PARITY_COMBO)));
        EXPECT_EQ(std::vector<std::string>({"None", "XonXoff", "Hardware"}),
                  ComboItems(GetDlgItem(dialog, IDC_PS_FLOW_COMBO)));

        EXPECT_EQ(0, CurSel(dialog, IDC_PS_PORT_COMBO));
        EXPECT_EQ(5, CurSel(dialog, IDC_PS_BAUD_COMBO));
        EXPECT_EQ(3, CurSel(dialog, IDC_PS_DATABITS_COMBO));
        EXPECT_EQ(0, CurSel(dialog, IDC_PS_STOPBITS_COMBO));
        EXPECT_EQ(2, CurSel(dialog, IDC_PS_PARITY_COMBO));
        EXPECT_EQ(2, CurSel(dialog, IDC_PS_FLOW_COMBO));
        EXPECT_EQ(kAllDisabled, SerialCombosEnabled(dialog));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_PS_PORT_COMBO)));

        // The members the installation reads point at these controls.
        EXPECT_EQ(GetDlgItem(dialog, IDC_PS_MODEL_COMBO), page.m_pModelCombo->GetSafeHwnd());
        EXPECT_EQ(GetDlgItem(dialog, IDC_PS_PORT_COMBO), page.m_pPortCombo->GetSafeHwnd());
        EXPECT_EQ(GetDlgItem(dialog, IDC_PS_BAUD_COMBO), page.m_pBaudCombo->GetSafeHwnd());
        EXPECT_EQ(GetDlgItem(dialog, IDC_PS_DATABITS_COMBO), page.m_pDataBitsCombo->GetSafeHwnd());
        EXPECT_EQ(GetDlgItem(dialog, IDC_PS_STOPBITS_COMBO), page.m_pStopBitsCombo->GetSafeHwnd());
        EXPECT_EQ(GetDlgItem(dialog, IDC_PS_PARITY_COMBO), page.m_pParityCombo->GetSafeHwnd());
        EXPECT_EQ(GetDlgItem(dialog, IDC_PS_FLOW_COMBO), page.m_pFlowCombo->GetSafeHwnd());

        EXPECT_EQ(GetDlgItem(dialog, IDC_PS_MODEL_COMBO), FocusOf(dialog));
        ClickButton(dialog, IDC_PS_EXIT);
    });
}

TEST(PrinterSettingPage, AComPortEnablesTheSerialSettingsAndAnLptPortDisablesThem)
{
    CPrinterSettingDlg page;
    RunModalWithDriver(page, kSettingsCaption, [](HWND dialog) {
        SelectComboItem(dialog, IDC_PS_PORT_COMBO, 3);  // COM1
        EXPECT_EQ(kAllEnabled, SerialCombosEnabled(dialog));
        SelectComboItem(dialog, IDC_PS_PORT_COMBO, 2);  // LPT3
        EXPECT_EQ(kAllDisabled, SerialCombosEnabled(dialog));
        SelectComboItem(dialog, IDC_PS_PORT_COMBO, 6);  // COM4
        EXPECT_EQ(kAllEnabled, SerialCombosEnabled(dialog));
        SelectComboItem(dialog, IDC_PS_PORT_COMBO, -1);  // no selection
        EXPECT_EQ(kAllDisabled, SerialCombosEnabled(dialog));
        SelectComboItem(dialog, IDC_PS_PORT_COMBO, 4);  // COM2
        SelectComboItem(dialog, IDC_PS_PORT_COMBO, 0);  // LPT1
        EXPECT_EQ(kAllDisabled, SerialCombosEnabled(dialog));
        // The selections themselves are left alone.
        EXPECT_EQ(5, CurSel(dialog, IDC_PS_BAUD_COMBO));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_PS_PORT_COMBO)));
        ClickButton(dialog, IDC_PS_EXIT);
    });
}

TEST(PrinterSettingPage, SelectingTheModelRestoresThePrinterName)
{
    CPrinterSettingDlg page;
    RunModalWithDriver(page, kSettingsCaption, [](HWND dialog) {
        HWND name = GetDlgItem(dialog, IDC_PS_PRINTER_NAME);
        SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("changed"));
        SelectComboItem(dialog, IDC_PS_MODEL_COMBO, -1);
        EXPECT_EQ("changed", WindowText(name)) << "no model selected: nothing to show";
        SelectComboItem(dialog, IDC_PS_MODEL_COMBO, 0);
        EXPECT_EQ(DisplayName(), WindowText(name));
        ClickButton(dialog, IDC_PS_EXIT);
    });
}

TEST(PrinterSettingPage, SystemMenuEndsWithTheAboutEntry)
{
    CPrinterSettingDlg page;
    RunModalWithDriver(page, kSettingsCaption, [](HWND dialog) {
        HMENU menu = GetSystemMenu(dialog, FALSE);
        ASSERT_NE(nullptr, menu);
        int count = GetMenuItemCount(menu);
        ASSERT_GE(count, 2);
        MENUITEMINFOW separator = {};
        separator.cbSize = sizeof(separator);
        separator.fMask = MIIM_FTYPE;
        ASSERT_TRUE(GetMenuItemInfoW(menu, count - 2, TRUE, &separator));
        EXPECT_TRUE(separator.fType & MFT_SEPARATOR);

        wchar_t text[128] = {};
        MENUITEMINFOW about = {};
        about.cbSize = sizeof(about);
        about.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        about.dwTypeData = text;
        about.cch = 128;
        ASSERT_TRUE(GetMenuItemInfoW(menu, count - 1, TRUE, &about));
        EXPECT_FALSE(about.fType & MFT_SEPARATOR);
        EXPECT_EQ(static_cast<UINT>(IDM_ABOUTBOX), about.wID);
        EXPECT_EQ(std::wstring(L"关于 TOLV(&A)..."), text);
        // The same entry in the system's code page 936, as an ANSI program reads it.
        char ansi[128] = {};
        GetMenuStringA(menu, count - 1, ansi, sizeof(ansi), MF_BYPOSITION);
        EXPECT_EQ(std::string("\xB9\xD8\xD3\xDA TOLV(&A)..."), ansi);
        ClickButton(dialog, IDC_PS_EXIT);
    });
}

TEST(PrinterSettingPage, AboutBoxOpensForItsSystemCommandsAndThePageStays)
{
    CPrinterSettingDlg page;
    INT_PTR result = RunModalWithDriver(page, kSettingsCaption, [](HWND dialog) {
        for (WPARAM command : {WPARAM(0x0010), WPARAM(0x001F), WPARAM(0x0017)}) {
            SCOPED_TRACE(command);
            PostMessageA(dialog, WM_SYSCOMMAND, command, 0);
            HWND about = WaitForThreadWindow(dialog, kAboutCaption);
            ASSERT_NE(nullptr, about);
            EXPECT_EQ(dialog, GetWindow(about, GW_OWNER));
            EXPECT_FALSE(IsWindowEnabled(dialog)) << "modal over the page";
            std::wstring texts;
            for (HWND child = GetWindow(about, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
                texts += WideText(child) + L"|";
            EXPECT_NE(std::wstring::npos, texts.find(L"TOLV 4.0 版|")) << "the version line";
            EXPECT_NE(std::wstring::npos, texts.find(L"确定|"));
            HWND icon = GetWindow(about, GW_CHILD);
            EXPECT_EQ("Static", ClassOf(icon));
            EXPECT_EQ(SS_ICON, GetWindowLongA(icon, GWL_STYLE) & SS_TYPEMASK);
            EXPECT_NE(0, SendMessageA(icon, STM_GETICON, 0, 0)) << "the program's icon";
            ClickButton(about, IDOK);
            EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
            EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(dialog) != FALSE; }));
            EXPECT_TRUE(IsWindowVisible(dialog)) << "the page stays open";
        }
        // Esc closes the box as well.
        PostMessageA(dialog, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        HWND about = WaitForThreadWindow(dialog, kAboutCaption);
        ASSERT_NE(nullptr, about);
        PressKey(about, VK_ESCAPE);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
        EXPECT_TRUE(IsWindow(dialog));
        ClickButton(dialog, IDC_PS_BACK);
    });
    EXPECT_EQ(IDCANCEL, result) << "the page was still there for Back";
}

TEST(PrinterSettingPage, OtherSystemCommandsKeepTheirUsualMeaning)
{
    CPrinterSettingDlg page;
    bool aboutOpened = true;
    INT_PTR result = RunModalWithDriver(page, kSettingsCaption, [&](HWND dialog) {
        PostMessageA(dialog, WM_SYSCOMMAND, 0x0020, 0);
        aboutOpened = WaitForThreadWindow(dialog, kAboutCaption, 500) != nullptr;
        // The system menu's Close is the cancel command, which ends this page with IDOK.
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_FALSE(aboutOpened);
    EXPECT_EQ(IDOK, result);
}

TEST(PrinterSettingPage, CarriesTheProgramIconAndOffersItForDragging)
{
    HICON programIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(nullptr, programIcon);
    CPrinterSettingDlg page;
    EXPECT_EQ(programIcon, page.m_hIcon);
    RunModalWithDriver(page, kSettingsCaption, [&](HWND dialog) {
        EXPECT_EQ(reinterpret_cast<LRESULT>(programIcon), SendMessageA(dialog, WM_GETICON, ICON_BIG, 0));
        EXPECT_EQ(reinterpret_cast<LRESULT>(programIcon), SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0));
        EXPECT_EQ(reinterpret_cast<LRESULT>(programIcon), SendMessageA(dialog, WM_QUERYDRAGICON, 0, 0));
        ClickButton(dialog, IDC_PS_EXIT);
    });
}

// Messages that the page's thread delivers to the page, seen by a hook on that thread.
HWND g_watchedPage = nullptr;
volatile LONG g_iconBackgroundErases = 0;

LRESULT CALLBACK WatchPageMessages(int code, WPARAM wParam, LPARAM lParam)
{
    auto* message = reinterpret_cast<CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->hwnd == g_watchedPage) {
        if (message->message == WM_ICONERASEBKGND && message->wParam != 0)
            InterlockedIncrement(&g_iconBackgroundErases);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(PrinterSettingPage, AMinimisedPagePaintsItsIconOnly)
{
    // Wine gives a minimised window without a window manager nothing to repaint, so the test
    // delivers WM_PAINT itself, the same way to the open and to the minimised page.
    CPrinterSettingDlg page;
    LONG erasesWhileOpen = -1, erasesWhileMinimised = -1;
    bool iconic = false;
    RunModalWithDriver(page, kSettingsCaption, [&](HWND dialog) {
        g_watchedPage = dialog;
        HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, &WatchPageMessages, nullptr,
                                       GetWindowThreadProcessId(dialog, nullptr));
        ASSERT_NE(nullptr, hook);
        LONG before = g_iconBackgroundErases;
        SendMessageA(dialog, WM_PAINT, 0, 0);
        erasesWhileOpen = g_iconBackgroundErases - before;
        // Without a window manager, Wine's X11 driver now and then restores the page again
        // while it handles the next message; a paint counts only when the page stayed
        // minimised from before it to after it.
        for (int attempt = 0; attempt < 5 && !iconic; ++attempt) {
            ShowWindow(dialog, SW_MINIMIZE);
            if (!WaitUntil([&] { return IsIconic(dialog) != FALSE; }, 2000))
                continue;
            before = g_iconBackgroundErases;
            SendMessageA(dialog, WM_PAINT, 0, 0);
            iconic = IsIconic(dialog) != FALSE;
            erasesWhileMinimised = g_iconBackgroundErases - before;
        }
        UnhookWindowsHookEx(hook);
        ShowWindow(dialog, SW_RESTORE);
        EXPECT_FALSE(IsIconic(dialog));
        ClickButton(dialog, IDC_PS_EXIT);
    });
    EXPECT_EQ(0, erasesWhileOpen) << "an open page paints as usual";
    ASSERT_TRUE(iconic);
    // The page's own painting erases the icon's background, with its paint DC, before the icon.
    EXPECT_EQ(1, erasesWhileMinimised);
}

TEST(PrinterSettingPage, EndCodes)
{
    struct Case {
        const char* how;
        void (*act)(HWND);
        INT_PTR expected;
    } cases[] = {
        {"Back", [](HWND d) { ClickButton(d, IDC_PS_BACK); }, IDCANCEL},
        {"Exit", [](HWND d) { ClickButton(d, IDC_PS_EXIT); }, IDOK},
        {"Esc", [](HWND d) { PressKey(d, VK_ESCAPE); }, IDOK},
        {"close box", [](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); }, IDOK},
        {"Enter on the model combo box", [](HWND d) { PressKey(d, VK_RETURN); }, IDOK},
        {"IDOK command", [](HWND d) { PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }, IDOK},
    };
    for (const Case& c : cases) {
        CPrinterSettingDlg page;
        EXPECT_EQ(c.expected, RunModalWithDriver(page, kSettingsCaption, c.act)) << c.how;
    }
}

TEST(PrinterSettingPage, ClickingTheCheckBoxOnlyTogglesIt)
{
    CPrinterSettingDlg page;
    INT_PTR result = RunModalWithDriver(page, kSettingsCaption, [](HWND dialog) {
        HWND check = GetDlgItem(dialog, IDC_PS_SET_DEFAULT);
        SendMessageA(check, BM_CLICK, 0, 0);
        EXPECT_EQ(BST_UNCHECKED, SendMessageA(check, BM_GETCHECK, 0, 0));
        SendMessageA(check, BM_CLICK, 0, 0);
        EXPECT_EQ(BST_CHECKED, SendMessageA(check, BM_GETCHECK, 0, 0));
        EXPECT_TRUE(IsWindow(dialog));
        ClickButton(dialog, IDC_PS_BACK);
    });
    EXPECT_EQ(IDCANCEL, result);
}

TEST(PrinterSettingPage, LeavingThePortPageWithBackKeepsThePageAsItWas)
{
    CPrinterSettingDlg page;
    bool portPageLived = false;
    INT_PTR result = RunModalWithDriver(page, kSettingsCaption, [&](HWND dialog) {
        SendMessageA(GetDlgItem(dialog, IDC_PS_SET_DEFAULT), BM_SETCHECK, BST_UNCHECKED, 0);
        for (int showing = 0; showing < 2; ++showing) {
            SCOPED_TRACE(showing);
            ClickButton(dialog, IDC_PS_NEXT);
            HWND portPage = WaitForTopWindow(kPortCaption, GetCurrentProcessId());
            ASSERT_NE(nullptr, portPage);
            portPageLived = g_pPortDlg != nullptr;
            EXPECT_EQ(dialog, GetWindow(portPage, GW_OWNER));
            EXPECT_FALSE(IsWindowEnabled(dialog));
            // First Esc, then the port page's own Back button.
            if (showing == 0)
                PressKey(portPage, VK_ESCAPE);
            else
                ClickButton(portPage, IDC_PP_BACK);
            EXPECT_TRUE(WaitUntil([&] { return !IsWindow(portPage); }));
            EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(dialog) != FALSE; }));
            EXPECT_EQ(nullptr, g_pPortDlg) << "released with its page";
            EXPECT_TRUE(IsWindowVisible(dialog));
            EXPECT_EQ(BST_UNCHECKED, SendMessageA(GetDlgItem(dialog, IDC_PS_SET_DEFAULT), BM_GETCHECK, 0, 0));
        }
        ClickButton(dialog, IDC_PS_EXIT);
    });
    EXPECT_TRUE(portPageLived);
    EXPECT_EQ(IDOK, result);
}

}  // namespace
