#include <gtest/gtest.h>

#include <cstring>

#include "FakePortList.h"
#include "FakePortSpooler.h"
#include "FakeSpoolerService.h"
#include "ports/PortEnumeration.h"
#include "ports/PortOperations.h"
#include "ports/ServiceCheckedPortSpooler.h"

namespace {

using Texts = std::vector<std::string>;

class PortListFill : public testing::Test {
protected:
    void SetPorts(const Texts& names)
    {
        spooler.ports.clear();
        for (const std::string& name : names)
            spooler.ports.push_back({name, std::string("Local Port")});
    }

    void Fill() { FillPortList(list, spooler, debug); }

    FakePortSpooler spooler;
    FakePortList list;
    FakeDebugOutput debug;
};

TEST_F(PortListFill, NoPortsLeaveTheListEmptyWithNothingSelected)
{
    Fill();
    EXPECT_EQ(0, list.RowCount());
    EXPECT_TRUE(list.stateCalls.empty());
    EXPECT_TRUE(debug.texts.empty());
}

TEST_F(PortListFill, AsksForTheSizeThenForLevel2RecordsInABufferOfThatSize)
{
    SetPorts({"COM1:", "LPT1:"});
    Fill();
    ASSERT_EQ(2u, spooler.portCalls.size());
    EXPECT_EQ(2u, spooler.portCalls[0].level);
    EXPECT_FALSE(spooler.portCalls[0].withBuffer);
    EXPECT_EQ(0u, spooler.portCalls[0].size);
    EXPECT_EQ(2u, spooler.portCalls[1].level);
    EXPECT_TRUE(spooler.portCalls[1].withBuffer);
    // Two records, then the names, and for each port its monitor and its description.
    size_t expected = 2 * sizeof(PortInfo2Record) + sizeof("COM1:") + sizeof("LPT1:") + 4 * sizeof("Local Port");
    EXPECT_EQ(expected, spooler.portCalls[1].size);
}

TEST_F(PortListFill, ListsNamesAndDescriptionsInTheSpoolersOrderAndWritesOneDebugLineEach)
{
    spooler.ports = {{std::string("COM1:"), std::string("Local Port")},
                     {std::string("IP_10.0.0.7"), std::string("Standard TCP/IP Port")},
                     {std::string("FILE:"), std::nullopt}};
    Fill();
    ASSERT_EQ(3, list.RowCount());
    EXPECT_EQ((Texts{"COM1:", "IP_10.0.0.7", "FILE:"}), list.Texts());
    EXPECT_EQ("Local Port", list.rows[0].secondText);
    EXPECT_EQ("Standard TCP/IP Port", list.rows[1].secondText);
    EXPECT_EQ("", list.rows[2].secondText);  // no description: an empty second column
    EXPECT_EQ((std::vector<int>{0, 1, 2}), list.insertIndexes);
    EXPECT_EQ((Texts{"COM1:\n", "IP_10.0.0.7\n", "FILE:\n"}), debug.texts);
}

TEST_F(PortListFill, APortWithoutANameGetsAnEmptyRow)
{
    spooler.ports = {{std::nullopt, std::string("Odd")}, {std::string("LPT1:"), std::string("Local Port")}};
    Fill();
    EXPECT_EQ((Texts{"", "LPT1:"}), list.Texts());
    EXPECT_EQ("Odd", list.rows[0].secondText);
    EXPECT_EQ((Texts{"\n", "LPT1:\n"}), debug.texts);
}

TEST_F(PortListFill, SelectsLpt1OverCom1AndFileAndClearsItsFocusFlag)
{
    SetPorts({"COM1:", "COM2:", "FILE:", "LPT1:"});
    Fill();
    EXPECT_EQ(std::vector<int>{3}, list.SelectedRows());
    ASSERT_EQ(1u, list.stateCalls.size());
    EXPECT_EQ(3, list.stateCalls[0].row);
    EXPECT_EQ(kRowSelected, list.stateCalls[0].state);
    EXPECT_EQ(kRowSelected | kRowFocused, list.stateCalls[0].mask);
}

TEST_F(PortListFill, ThePreferenceIsLpt1ThenCom1ThenFile)
{
    SetPorts({"X:", "FILE:", "COM1:"});
    Fill();
    EXPECT_EQ(std::vector<int>{2}, list.SelectedRows());

    list = FakePortList();
    SetPorts({"X:", "FILE:", "Ne00:"});
    Fill();
    EXPECT_EQ(std::vector<int>{1}, list.SelectedRows());
}

TEST_F(PortListFill, RowZeroIsNeverTheDefault)
{
    SetPorts({"LPT1:", "X:", "COM1:"});
    Fill();
    EXPECT_EQ(std::vector<int>{2}, list.SelectedRows());

    list = FakePortList();
    SetPorts({"LPT1:", "COM2:", "Ne00:"});
    Fill();
    EXPECT_TRUE(list.SelectedRows().empty());
    EXPECT_TRUE(list.stateCalls.empty());
}

TEST_F(PortListFill, TheLastOfTwoMatchingNamesWins)
{
    SetPorts({"X:", "LPT1:", "COM1:", "LPT1.PRN"});
    Fill();
    EXPECT_EQ(std::vector<int>{3}, list.SelectedRows());
}

TEST_F(PortListFill, ThePrefixIsTheFirstFourBytesComparedExactly)
{
    // Lower case is another name; COM10: begins with COM1; a shorter name matches nothing.
    SetPorts({"X:", "lpt1:", "COM1:", "COM10:", "LPT"});
    Fill();
    EXPECT_EQ(std::vector<int>{3}, list.SelectedRows());

    list = FakePortList();
    SetPorts({"X:", "lpt1:", "file:", "COM", "FIL"});
    Fill();
    EXPECT_TRUE(list.SelectedRows().empty());
}

TEST_F(PortListFill, ListsEveryOneOf300PortsAndChoosesLpt1BeyondRow255)
{
    spooler.AddNumberedPorts(260);
    spooler.ports.push_back({std::string("LPT1:"), std::string("Local Port")});  // record 260
    spooler.AddNumberedPorts(299);
    spooler.ports.push_back({std::string("COM1:"), std::string("Local Port")});  // record 299, the last
    Fill();
    ASSERT_EQ(300, list.RowCount());
    EXPECT_EQ("P000", list.rows.front().text);
    EXPECT_EQ("LPT1:", list.rows[260].text);
    EXPECT_EQ("COM1:", list.rows.back().text);
    EXPECT_EQ(std::vector<int>{260}, list.SelectedRows());
    ASSERT_EQ(300u, debug.texts.size());
    EXPECT_EQ("COM1:\n", debug.texts.back());
}

TEST_F(PortListFill, ANameOutsideTheCodePageIsShownByItsTrueNameMarkedAndNeverTheDefault)
{
    // What the code page makes of the names: "COM1?" would pass for a COM1 port.
    spooler.ports = {{std::string("X:"), std::string("Local Port")},
                     {std::string("C:\\??\\??.prn"), std::string("Local Port"), std::string("Local Port"),
                      std::string("C:\\\xED\x95\x9C\xEA\xB5\xAD\\\xEC\xB6\x9C\xEB\xA0\xA5.prn")},
                     {std::string("COM1?"), std::nullopt, std::string("Local Port"), std::string("COM1\xED\x95\x9C")},
                     {std::string("FILE:"), std::string("Local Port")}};
    Fill();
    EXPECT_EQ((Texts{"X:", "C:\\\xED\x95\x9C\xEA\xB5\xAD\\\xEC\xB6\x9C\xEB\xA0\xA5.prn", "COM1\xED\x95\x9C", "FILE:"}),
              list.Texts());
    EXPECT_FALSE(list.rows[0].unusable);
    EXPECT_TRUE(list.rows[1].unusable);
    EXPECT_TRUE(list.rows[2].unusable);
    EXPECT_FALSE(list.rows[3].unusable);
    EXPECT_EQ(std::string("Local Port ") + kUnusablePortNote, list.rows[1].secondText);
    EXPECT_EQ(kUnusablePortNote, list.rows[2].secondText);
    EXPECT_EQ(std::vector<int>{3}, list.SelectedRows());
    EXPECT_EQ(4u, debug.texts.size());
}

TEST_F(PortListFill, ARefillChoosesTheDefaultRowAgain)
{
    SetPorts({"COM1:", "COM2:", "LPT1:", "FILE:"});
    Fill();
    ASSERT_EQ(std::vector<int>{2}, list.SelectedRows());
    // The user picks another port, then a port is created and the list refilled from scratch.
    list.SetRowState(2, 0, kRowSelected);
    list.SetRowState(0, kRowSelected | kRowFocused, kRowSelected | kRowFocused);
    spooler.ports.insert(spooler.ports.begin(), {std::string("C:\\out.prn"), std::string("Local Port")});
    list.rows.clear();
    debug.texts.clear();
    Fill();
    EXPECT_EQ((Texts{"C:\\out.prn", "COM1:", "COM2:", "LPT1:", "FILE:"}), list.Texts());
    EXPECT_EQ(std::vector<int>{3}, list.SelectedRows());
    EXPECT_EQ(5u, debug.texts.size());
}

TEST_F(PortListFill, APortAddedBetweenTheTwoCallsIsListedAfterAskingAgain)
{
    SetPorts({"COM1:", "LPT1:"});
    spooler.beforeEnumPorts = [&](int call) {
        if (call == 2)
            spooler.ports.push_back({std::string("C:\\new.prn"), std::string("Local Port")});
    };
    Fill();
    EXPECT_EQ((Texts{"COM1:", "LPT1:", "C:\\new.prn"}), list.Texts());
    EXPECT_EQ(std::vector<int>{1}, list.SelectedRows());
    ASSERT_EQ(3u, spooler.portCalls.size());
    EXPECT_GT(spooler.portCalls[2].size, spooler.portCalls[1].size);
}

TEST_F(PortListFill, ASetThatKeepsGrowingIsAskedABoundedNumberOfTimesAndFails)
{
    SetPorts({"COM1:", "LPT1:"});
    spooler.beforeEnumPorts = [&](int) { spooler.ports.push_back({std::string("LPT1:"), std::string("x")}); };
    EXPECT_FALSE(FillPortList(list, spooler, debug).succeeded);
    EXPECT_EQ(static_cast<size_t>(kMaxEnumerationCalls), spooler.portCalls.size());
    EXPECT_EQ(0, list.RowCount());
    EXPECT_TRUE(debug.texts.empty());
}

TEST_F(PortListFill, AFailingSpoolerIsAFailureNotAnEmptyList)
{
    SetPorts({"COM1:", "LPT1:"});
    spooler.enumFailure = 1722;  // RPC_S_SERVER_UNAVAILABLE: the spooler service is stopped
    const SpoolerResult result = FillPortList(list, spooler, debug);
    EXPECT_FALSE(result.succeeded);
    EXPECT_EQ(1722u, result.errorCode);
    EXPECT_EQ(0, list.RowCount());
    EXPECT_TRUE(debug.texts.empty());
    spooler.enumFailure = 0;
    spooler.ports.clear();
    EXPECT_TRUE(FillPortList(list, spooler, debug).succeeded) << "a spooler without ports lists none";
}

class PortListSpoolerService : public PortListFill, public testing::WithParamInterface<ServiceCase> {};

TEST_P(PortListSpoolerService, AFailedListAsksTheServiceAndIsFilledAfterAStart)
{
    const ServiceCase& row = GetParam();
    SetPorts({"COM1:", "LPT1:"});
    spooler.enumFailure = kErrorRpcServerUnavailable;
    FakeSpoolerService service;
    service.state = row.state;
    service.queryError = row.queryError;
    service.startError = row.startError;
    service.onStarted = [this] { spooler.enumFailure = 0; };
    int asked = 0;
    SpoolerServiceGuard guard(&service, [&] { return ++asked, row.yes; });
    ServiceCheckedPortSpooler checked(spooler, guard);

    const SpoolerResult result = FillPortList(list, checked, debug);
    EXPECT_EQ(row.finding, guard.Check().finding);
    EXPECT_EQ(row.asked ? 1 : 0, asked);
    EXPECT_EQ(row.asked && row.yes ? 1 : 0, service.starts);
    EXPECT_EQ(row.works, result.succeeded);
    EXPECT_TRUE(spooler.dialogCalls.empty());
    const std::wstring text = SpoolerFailureText(guard.Check(), L"<text of 1069>", L"No list", result.errorCode,
                                                 L"<text of " + std::to_wstring(result.errorCode) + L">");
    if (row.works) {
        EXPECT_EQ((Texts{"COM1:", "LPT1:"}), list.Texts());
        EXPECT_EQ(3u, spooler.portCalls.size()) << "the failed sizing call once more, then the records";
    } else if (row.says != nullptr) {
        EXPECT_EQ(0, list.RowCount());
        EXPECT_EQ(0u, text.find(row.says)) << std::string(text.begin(), text.end());
    } else {
        EXPECT_EQ(0, list.RowCount());
        EXPECT_EQ(L"No list: <text of 1722> (error 1722).", text);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryState, PortListSpoolerService, testing::ValuesIn(kServiceCases), ServiceCaseName);

TEST_F(PortListFill, RecordsBeyondWhatTheCallFilledAreNeverRead)
{
    SetPorts({"COM1:", "LPT1:"});
    spooler.extraReported = 1000;
    Fill();
    EXPECT_EQ(0, list.RowCount());
    EXPECT_TRUE(debug.texts.empty());
}

TEST(EnumeratedRecords, ReadsOnlyTextsInsideTheBufferThatEndInside)
{
    // One record whose texts point to the buffer's end without a terminator, outside it, and
    // to a proper text.
    EnumeratedRecords records(
        [](uint8_t* buffer, uint32_t size, uint32_t& needed, uint32_t& returned) {
            needed = sizeof(PortInfo2Record) + 8;
            if (!buffer || size < needed)
                return SpoolerResult{false, kErrorInsufficientBuffer};
            static char outside[] = "outside";
            auto* record = reinterpret_cast<PortInfo2Record*>(buffer);
            char* text = reinterpret_cast<char*>(buffer + sizeof(PortInfo2Record));
            std::memcpy(text, "LPT1:\0AB", 8);  // "LPT1:", then "AB" with no NUL before the end
            record->pPortName = text;
            record->pDescription = text + 6;
            record->pMonitorName = outside;
            returned = 1;
            return SpoolerResult{true, 0};
        },
        sizeof(PortInfo2Record));
    ASSERT_EQ(1u, records.Count());
    const auto& record = records.At<PortInfo2Record>(0);
    EXPECT_EQ("LPT1:", records.Text(record.pPortName));
    EXPECT_EQ("", records.Text(record.pDescription));
    EXPECT_EQ("", records.Text(record.pMonitorName));
    EXPECT_EQ("", records.Text(nullptr));
}

TEST(ListStyle, FillingClearsTrackSelectAndSetsGridLinesAndFullRowSelectKeepingTheRest)
{
    EXPECT_EQ(kListExGridLines | kListExFullRowSelect, FilledListExtendedStyle(0));
    EXPECT_EQ(0x10000u | kListExGridLines | kListExFullRowSelect,
              FilledListExtendedStyle(0x10000u | kListExTrackSelect));
    EXPECT_EQ(0x4u | kListExGridLines | kListExFullRowSelect, FilledListExtendedStyle(0x4u | kListExGridLines));
}

}  // namespace
