// The Create Port dialog against Wine's real port monitors.
#include <windows.h>
#include <commctrl.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WineTestSupport.h"
#include "res/resource.h"
#include "ui/CreatePortDlg.h"

namespace {

const char kCaption[] = "Create Port";

std::vector<std::string> SpoolerMonitors()
{
    DWORD needed = 0, count = 0;
    EnumMonitorsA(nullptr, 1, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    std::vector<std::string> names;
    if (!needed || !EnumMonitorsA(nullptr, 1, buffer.data(), needed, &needed, &count))
        return names;
    auto* records = reinterpret_cast<MONITOR_INFO_1A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        if (records[i].pName)
            names.push_back(records[i].pName);
    return names;
}

TEST(CreatePortDialog, ListsTheMonitorsWithLocalPortAndRowZeroSelected)
{
    std::vector<std::string> expected = SpoolerMonitors();
    ASSERT_FALSE(expected.empty());
    CCreatePortDlg dialog;
    std::vector<std::string> names;
    std::vector<int> selected;
    std::string heading;
    int width = 0, columns = 0;
    DWORD exStyle = 0;
    DebugOutputCapture debug;
    INT_PTR end = RunModalWithDriver(dialog, kCaption, [&](HWND window) {
        HWND list = GetDlgItem(window, IDC_CP_MONITOR_LIST);
        names = ListColumnTexts(list, 0);
        selected = ListSelectedRows(list);
        char text[64] = {};
        LVCOLUMNA info = {};
        info.mask = LVCF_TEXT;
        info.pszText = text;
        info.cchTextMax = sizeof(text);
        SendMessageA(list, LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&info));
        heading = text;
        width = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0));
        HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
        columns = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
        exStyle = static_cast<DWORD>(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
        ClickButton(window, IDC_CP_CLOSE);
    });
    std::vector<std::string> debugTexts = debug.Texts();  // before a failure report adds its own
    EXPECT_EQ(IDCANCEL, end);
    EXPECT_EQ(expected, names);
    EXPECT_EQ("Local Port", names.empty() ? "" : names[0]);
    EXPECT_EQ(std::vector<int>{0}, selected);
    EXPECT_EQ("Available Port Type", heading);
    EXPECT_EQ(340, width);
    EXPECT_EQ(1, columns);
    EXPECT_EQ(static_cast<DWORD>(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT),
              exStyle & (LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_TRACKSELECT));
    std::vector<std::string> expectedLines;
    for (const std::string& name : expected)
        expectedLines.push_back(name + "\n");
    EXPECT_EQ(expectedLines, debugTexts);
}

TEST(CreatePortDialog, CloseAndEscEndItWithIdCancelAndEnterWithIdOk)
{
    CCreatePortDlg first, second, third;
    EXPECT_EQ(IDCANCEL, RunModalWithDriver(first, kCaption, [](HWND window) { ClickButton(window, IDC_CP_CLOSE); }));
    EXPECT_EQ(IDCANCEL, RunModalWithDriver(second, kCaption, [](HWND window) { PressKey(window, VK_ESCAPE); }));
    // The framework's own Enter: the dialog has nothing to lose by it.
    EXPECT_EQ(IDOK, RunModalWithDriver(third, kCaption, [](HWND window) { PressKey(window, VK_RETURN); }));
}

TEST(CreatePortDialog, NewPortWithoutASelectedMonitorDoesNothingAndWithOneOpensItsDialog)
{
    CCreatePortDlg dialog;
    HWND withoutSelection = nullptr, withSelection = nullptr, owner = nullptr, window = nullptr;
    INT_PTR end = RunModalWithDriver(dialog, kCaption, [&](HWND dialogWindow) {
        window = dialogWindow;
        HWND list = GetDlgItem(dialogWindow, IDC_CP_MONITOR_LIST);
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED;
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
        ClickButton(dialogWindow, IDC_CP_NEW_PORT);
        withoutSelection = WaitForTopWindowW(L"添加本地端口", 1500);
        if (withoutSelection)
            PostMessageW(withoutSelection, WM_COMMAND, IDCANCEL, 0);

        item.state = LVIS_SELECTED;
        SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
        ClickButton(dialogWindow, IDC_CP_NEW_PORT);
        withSelection = WaitForTopWindowW(L"添加本地端口", 5000);
        if (withSelection) {
            owner = GetWindow(withSelection, GW_OWNER);
            // Cancelled by the user: nothing is created and the dialog stays.
            PostMessageW(withSelection, WM_COMMAND, IDCANCEL, 0);
            WaitUntil([&] { return !IsWindow(withSelection); });
        }
        Sleep(200);
        if (IsWindow(dialogWindow))
            ClickButton(dialogWindow, IDC_CP_CLOSE);
    });
    EXPECT_EQ(nullptr, withoutSelection);
    ASSERT_NE(nullptr, withSelection);
    EXPECT_EQ(window, owner);
    EXPECT_EQ(IDCANCEL, end);  // Close, not the monitor's cancelling, ended it
}

}  // namespace
