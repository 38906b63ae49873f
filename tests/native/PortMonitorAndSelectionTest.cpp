#include <gtest/gtest.h>

#include "FakePortList.h"
#include "FakePortSpooler.h"
#include "install/PortOperations.h"

namespace {

using Texts = std::vector<std::string>;

TEST(MonitorListFill, ListsLevel1MonitorsInOrderSelectsRowZeroAndWritesOneDebugLineEach)
{
    FakePortSpooler spooler;
    spooler.monitors = {std::string("Local Port"), std::string("Standard TCP/IP Port"), std::string("USB Monitor")};
    FakePortList list;
    FakeDebugOutput debug;
    FillMonitorList(list, spooler, debug);
    EXPECT_EQ((Texts{"Local Port", "Standard TCP/IP Port", "USB Monitor"}), list.Texts());
    EXPECT_EQ(std::vector<int>{0}, list.SelectedRows());
    ASSERT_EQ(1u, list.stateCalls.size());
    EXPECT_EQ(kRowSelected, list.stateCalls[0].state);
    EXPECT_EQ(kRowSelected | kRowFocused, list.stateCalls[0].mask);
    EXPECT_EQ((Texts{"Local Port\n", "Standard TCP/IP Port\n", "USB Monitor\n"}), debug.texts);
    ASSERT_EQ(2u, spooler.monitorCalls.size());
    EXPECT_EQ(1u, spooler.monitorCalls[0].level);
    EXPECT_FALSE(spooler.monitorCalls[0].withBuffer);
    EXPECT_EQ(1u, spooler.monitorCalls[1].level);
    EXPECT_TRUE(spooler.monitorCalls[1].withBuffer);
}

TEST(MonitorListFill, AMonitorWithoutANameIsSkippedAndTheNextTakesItsPlace)
{
    FakePortSpooler spooler;
    spooler.monitors = {std::nullopt, std::string("Local Port"), std::nullopt, std::string("LPR Port")};
    FakePortList list;
    FakeDebugOutput debug;
    FillMonitorList(list, spooler, debug);
    EXPECT_EQ((Texts{"Local Port", "LPR Port"}), list.Texts());
    EXPECT_EQ(std::vector<int>{0}, list.SelectedRows());
    EXPECT_EQ((Texts{"Local Port\n", "LPR Port\n"}), debug.texts);
    // Each asks for its record index; past the last row the list appends.
    EXPECT_EQ((std::vector<int>{1, 3}), list.insertIndexes);
}

TEST(MonitorListFill, NoMonitorsLeaveTheListEmpty)
{
    FakePortSpooler spooler;
    FakePortList list;
    FakeDebugOutput debug;
    FillMonitorList(list, spooler, debug);
    EXPECT_EQ(0, list.RowCount());
    EXPECT_TRUE(list.SelectedRows().empty());
    EXPECT_TRUE(debug.texts.empty());
}

// A list with the given rows, of which `selected` are selected.
FakePortList ListWith(const Texts& texts, const std::vector<int>& selected)
{
    FakePortList list;
    for (size_t i = 0; i < texts.size(); ++i)
        list.InsertRow(static_cast<int>(i), texts[i]);
    for (int row : selected)
        list.SetRowState(row, kRowSelected, kRowSelected);
    return list;
}

TEST(SelectedRowText, GivesTheFirstSelectedRowsTextOrNone)
{
    std::string text = "unchanged";
    EXPECT_FALSE(GetSelectedRowText(ListWith({"COM1:", "LPT1:"}, {}), text));
    EXPECT_EQ("unchanged", text);
    EXPECT_FALSE(GetSelectedRowText(ListWith({}, {}), text));

    EXPECT_TRUE(GetSelectedRowText(ListWith({"COM1:", "LPT1:", "FILE:"}, {1}), text));
    EXPECT_EQ("LPT1:", text);
    EXPECT_TRUE(GetSelectedRowText(ListWith({"COM1:", "LPT1:", "FILE:"}, {2, 0}), text));
    EXPECT_EQ("COM1:", text);
}

TEST(SelectedRowText, AFocusedRowIsNotASelectedRow)
{
    FakePortList list = ListWith({"COM1:", "LPT1:"}, {});
    list.SetRowState(1, kRowFocused, kRowFocused);
    std::string text;
    EXPECT_FALSE(GetSelectedRowText(list, text));
}

TEST(NewPort, HandsTheSelectedMonitorAndTheOwnerToTheSpooler)
{
    FakePortSpooler spooler;
    spooler.monitorCallResult = {false, 1223};  // ERROR_CANCELLED: the user closed the monitor's dialog
    int owner = 0;
    auto result = AddPortOfSelectedType(&owner, ListWith({"Local Port", "LPR Port"}, {1}), spooler);
    ASSERT_EQ(1u, spooler.dialogCalls.size());
    EXPECT_EQ("AddPort", spooler.dialogCalls[0].operation);
    EXPECT_EQ(&owner, spooler.dialogCalls[0].owner);
    EXPECT_EQ("LPR Port", spooler.dialogCalls[0].name);
    ASSERT_TRUE(result.has_value());
    EXPECT_FALSE(result->succeeded);
    EXPECT_EQ(1223u, result->errorCode);
}

TEST(NewPort, WithoutASelectedMonitorNothingHappens)
{
    FakePortSpooler spooler;
    int owner = 0;
    EXPECT_FALSE(AddPortOfSelectedType(&owner, ListWith({"Local Port"}, {}), spooler).has_value());
    EXPECT_TRUE(spooler.dialogCalls.empty());
}

TEST(ConfigurePort, HandsTheSelectedPortAndTheOwnerToTheSpooler)
{
    FakePortSpooler spooler;
    int owner = 0;
    auto result = ConfigureSelectedPort(&owner, ListWith({"COM1:", "LPT1:"}, {0}), spooler);
    ASSERT_EQ(1u, spooler.dialogCalls.size());
    EXPECT_EQ("ConfigurePort", spooler.dialogCalls[0].operation);
    EXPECT_EQ(&owner, spooler.dialogCalls[0].owner);
    EXPECT_EQ("COM1:", spooler.dialogCalls[0].name);
    ASSERT_TRUE(result.has_value());
    EXPECT_TRUE(result->succeeded);
}

TEST(ConfigurePort, WithoutASelectedPortNothingHappens)
{
    FakePortSpooler spooler;
    int owner = 0;
    EXPECT_FALSE(ConfigureSelectedPort(&owner, ListWith({"COM1:", "LPT1:"}, {}), spooler).has_value());
    EXPECT_TRUE(spooler.dialogCalls.empty());
}

}  // namespace
