// The list-view adapter on a real SysListView32: what the port operations rely on.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "WineTestSupport.h"
#include "ui/PortListCtrl_win32.h"

namespace {

class ListCtrlOnAListView : public testing::Test {
protected:
    void SetUp() override
    {
        m_window = CreateWindowExA(0, WC_LISTVIEWA, "", WS_POPUP | LVS_REPORT | LVS_SINGLESEL, 0, 0, 400, 200,
                                   nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, m_window);
        list.Attach(m_window);
        ASSERT_TRUE(list.InsertColumn(0, "Port", 150));
        ASSERT_TRUE(list.InsertColumn(1, "Type", 280));
    }
    void TearDown() override { DestroyWindow(m_window); }

    CPortListCtrl list;

private:
    HWND m_window = nullptr;
};

TEST_F(ListCtrlOnAListView, ColumnsGetTheirWidths)
{
    EXPECT_EQ(2, list.GetColumnCount());
    EXPECT_EQ(150, list.GetColumnWidth(0));
    EXPECT_EQ(280, list.GetColumnWidth(1));
}

TEST_F(ListCtrlOnAListView, AnIndexPastTheLastRowAppendsAndSecondTextsLandInColumnOne)
{
    EXPECT_EQ(0, list.InsertRow(0, "COM1:"));
    EXPECT_EQ(1, list.InsertRow(5, "LPT1:"));
    EXPECT_EQ(0, list.InsertRow(0, "C:\\out.prn"));
    list.SetRowSecondText(2, "Local Port");
    ASSERT_EQ(3, list.RowCount());
    EXPECT_EQ("C:\\out.prn", list.RowText(0));
    EXPECT_EQ("COM1:", list.RowText(1));
    EXPECT_EQ("LPT1:", list.RowText(2));
    EXPECT_EQ("Local Port", list.RowSecondText(2));
    EXPECT_EQ("", list.RowSecondText(1));
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(0, list.RowCount());
}

TEST_F(ListCtrlOnAListView, ReadsALongTextInFull)
{
    std::string longName = "\\\\server\\";
    while (longName.size() < 700)
        longName += "queue-name-";
    list.InsertRow(0, longName);
    EXPECT_EQ(longName, list.RowText(0));
    std::string exact(255, 'x');  // exactly fills the first buffer but for the terminator
    list.InsertRow(1, exact);
    EXPECT_EQ(exact, list.RowText(1));
}

TEST_F(ListCtrlOnAListView, StatesChangeOnlyUnderTheMask)
{
    list.InsertRow(0, "COM1:");
    list.InsertRow(1, "LPT1:");
    list.SetRowState(1, kRowSelected | kRowFocused, kRowSelected | kRowFocused);
    EXPECT_TRUE(list.IsRowSelected(1));
    EXPECT_FALSE(list.IsRowSelected(0));
    list.SetRowState(1, 0, kRowFocused);  // focus gone, still selected
    EXPECT_TRUE(list.IsRowSelected(1));
    list.SetRowState(1, 0, kRowSelected);
    EXPECT_FALSE(list.IsRowSelected(1));
}

TEST_F(ListCtrlOnAListView, TheFillStyleKeepsTheOtherExtendedBits)
{
    list.SetExtendedStyle(LVS_EX_TRACKSELECT | LVS_EX_CHECKBOXES);
    list.ApplyFilledListStyle();
    EXPECT_EQ(static_cast<DWORD>(LVS_EX_CHECKBOXES | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT),
              list.GetExtendedStyle());
}

}  // namespace
