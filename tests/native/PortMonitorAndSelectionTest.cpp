#include <gtest/gtest.h>

#include "FakePortList.h"
#include "FakePortSpooler.h"
#include <cstring>

#include "ports/PortOperations.h"
#include "ports/TcpPort.h"

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

// PORT_DATA_1 as tcpxcv.h declares it, with UTF-16 characters: the compiler lays it out
// as the monitor reads it, independently of the offsets the record is built from.
struct PortData1Mirror {
    char16_t sztPortName[64];
    uint32_t dwVersion;
    uint32_t dwProtocol;
    uint32_t cbSize;
    uint32_t dwReserved;
    char16_t sztHostAddress[49];
    char16_t sztSNMPCommunity[33];
    uint32_t dwDoubleSpool;
    char16_t sztQueue[33];
    char16_t sztIPAddress[16];
    uint8_t Reserved[540];
    uint32_t dwPortNumber;
    uint32_t dwSNMPEnabled;
    uint32_t dwSNMPDevIndex;
};

std::u16string Text16(const char16_t* field, size_t chars)
{
    size_t length = 0;
    while (length < chars && field[length] != 0)
        ++length;
    EXPECT_LT(length, chars) << "no terminating zero";
    return std::u16string(field, length);
}

TEST(PortData1, IsARawRecordOfTheDocumentedLayout)
{
    static_assert(sizeof(PortData1Mirror) == 964, "PORT_DATA_1 is 964 bytes");
    TcpPrinterAddress address;
    address.host = "pos-7.shop.example";
    address.portNumber = 9101;
    const std::string name = TcpPortName(address);
    EXPECT_EQ("IP_pos-7.shop.example_9101", name);
    const std::vector<uint8_t> bytes = PortData1Record(name, address);
    ASSERT_EQ(sizeof(PortData1Mirror), bytes.size());
    PortData1Mirror record;
    std::memcpy(&record, bytes.data(), bytes.size());  // x86: little-endian, as Windows
    EXPECT_EQ(u"IP_pos-7.shop.example_9101", Text16(record.sztPortName, 64));
    EXPECT_EQ(1u, record.dwVersion);
    EXPECT_EQ(1u, record.dwProtocol) << "RAW";
    EXPECT_EQ(964u, record.cbSize);
    EXPECT_EQ(0u, record.dwReserved);
    EXPECT_EQ(u"pos-7.shop.example", Text16(record.sztHostAddress, 49));
    EXPECT_EQ(u"public", Text16(record.sztSNMPCommunity, 33));
    EXPECT_EQ(0u, record.dwDoubleSpool);
    EXPECT_EQ(u"", Text16(record.sztQueue, 33));
    EXPECT_EQ(9101u, record.dwPortNumber);
    EXPECT_EQ(0u, record.dwSNMPEnabled);
    for (uint8_t byte : record.Reserved)
        ASSERT_EQ(0, byte);
}

TEST(PortData1, TheDefaultPortKeepsTheWindowsNameAndTheLongestHostFits)
{
    TcpPrinterAddress address;
    address.host = "abcdefghij.abcdefghij.abcdefghij.abcdefghij.abcd";  // 48, the most allowed
    EXPECT_EQ("IP_" + address.host, TcpPortName(address));
    PortData1Mirror record;
    const std::vector<uint8_t> bytes = PortData1Record(TcpPortName(address), address);
    std::memcpy(&record, bytes.data(), sizeof record);
    EXPECT_EQ(std::u16string(address.host.begin(), address.host.end()), Text16(record.sztHostAddress, 49));
    EXPECT_EQ(9100u, record.dwPortNumber);
}

TEST(ConfigurePort, APortNamedOutsideTheCodePageIsNeitherChosenNorHandedOn)
{
    FakePortList list;
    list.InsertRow(0, "LPT1:");
    list.InsertUnusableRow(1, "C:\\\xED\x95\x9C\xEA\xB5\xAD.prn");
    FakePortSpooler spooler;
    std::string name = "before";
    int row = -2;

    list.SetRowState(1, kRowSelected, kRowSelected);
    EXPECT_EQ(PortChoice::NameOutsideCodePage, GetSelectedPort(list, name, &row));
    EXPECT_EQ(1, row);
    EXPECT_EQ("before", name);
    std::optional<SpoolerResult> result = ConfigureSelectedPort(nullptr, list, spooler);
    ASSERT_TRUE(result.has_value());
    EXPECT_FALSE(result->succeeded);
    EXPECT_EQ(kErrorNoUnicodeTranslation, result->errorCode);
    EXPECT_TRUE(spooler.dialogCalls.empty());

    list.SetRowState(1, 0, kRowSelected);
    list.SetRowState(0, kRowSelected, kRowSelected);
    EXPECT_EQ(PortChoice::Name, GetSelectedPort(list, name, &row));
    EXPECT_EQ("LPT1:", name);
    EXPECT_EQ(0, row);

    list.SetRowState(0, 0, kRowSelected);
    EXPECT_EQ(PortChoice::None, GetSelectedPort(list, name, &row));
    EXPECT_EQ(-1, row);
}

}  // namespace
