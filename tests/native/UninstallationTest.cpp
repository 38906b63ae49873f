#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "RegistryDwordValues.h"
#include "FakeSpoolerService.h"
#include "UninstallFake.h"
#include "install/ServiceCheckedSpooler.h"
#include "install/Uninstallation.h"

namespace {

using Log = std::vector<std::string>;

UninstallOutcome Uninstall(FakeUninstallSystem& fake)
{
    return RunUninstallation("VELM58KD", "VELM58KD", "Windows x64", fake);
}

TEST(Uninstallation, RemovesPrinterThenDriverThenTheDeviceValueThatNamesIt)
{
    FakeUninstallSystem fake;
    UninstallOutcome outcome = Uninstall(fake);
    EXPECT_TRUE(outcome.complete);
    EXPECT_EQ(Log({"OpenPrinter VELM58KD", "DeletePrinter", "ClosePrinter", "ListPrinters",
                   "DeleteDriver Windows x64 VELM58KD", "ReadDevice", "DeleteDevice"}),
              fake.log);
    EXPECT_FALSE(fake.printerPresent);
    EXPECT_FALSE(fake.driverPresent);
    EXPECT_FALSE(fake.device.has_value());
    ASSERT_EQ(3u, outcome.steps.size());
    EXPECT_EQ(UninstallItem::Printer, outcome.steps[0].item);
    EXPECT_EQ(UninstallItem::Driver, outcome.steps[1].item);
    EXPECT_EQ("VELM58KD (Windows x64)", outcome.steps[1].subject);
    EXPECT_EQ(UninstallItem::DefaultPrinterValue, outcome.steps[2].item);
    for (const UninstallStep& step : outcome.steps)
        EXPECT_EQ(UninstallResult::Removed, step.result);
    EXPECT_EQ(0, fake.openHandles);
}

TEST(Uninstallation, NothingThereIsACompleteRemoval)
{
    FakeUninstallSystem fake;
    fake.printerPresent = false;
    fake.driverPresent = false;
    fake.device.reset();
    UninstallOutcome outcome = Uninstall(fake);
    EXPECT_TRUE(outcome.complete);
    ASSERT_EQ(3u, outcome.steps.size());
    for (const UninstallStep& step : outcome.steps)
        EXPECT_EQ(UninstallResult::Absent, step.result);
    EXPECT_EQ(Log({"OpenPrinter VELM58KD", "ListPrinters", "DeleteDriver Windows x64 VELM58KD", "ReadDevice"}),
              fake.log);
}

TEST(Uninstallation, ADeviceValueOfAnotherPrinterIsLeftAlone)
{
    FakeUninstallSystem fake;
    fake.device = "VELM58KD (Copy 1),winspool,LPT2:";
    UninstallOutcome outcome = Uninstall(fake);
    EXPECT_TRUE(outcome.complete);
    EXPECT_EQ(UninstallResult::Kept, outcome.steps[2].result);
    EXPECT_EQ("VELM58KD (Copy 1),winspool,LPT2:", outcome.steps[2].subject);
    EXPECT_EQ("VELM58KD (Copy 1),winspool,LPT2:", fake.device.value());
    EXPECT_EQ("ReadDevice", fake.log.back());
}

TEST(Uninstallation, DeviceValueMatchesThePrinterNameAsWindowsDoes)
{
    EXPECT_TRUE(DeviceValueNamesPrinter("VELM58KD,winspool,LPT1:", "VELM58KD"));
    EXPECT_TRUE(DeviceValueNamesPrinter("velm58kd,winspool,Ne00:", "VELM58KD"));
    EXPECT_TRUE(DeviceValueNamesPrinter("VELM58KD", "VELM58KD"));
    EXPECT_FALSE(DeviceValueNamesPrinter("VELM58KD2,winspool,LPT1:", "VELM58KD"));
    EXPECT_FALSE(DeviceValueNamesPrinter("VELM58K,winspool,LPT1:", "VELM58KD"));
    EXPECT_FALSE(DeviceValueNamesPrinter(",winspool,LPT1:", "VELM58KD"));
    EXPECT_FALSE(DeviceValueNamesPrinter("", "VELM58KD"));
}

TEST(Uninstallation, APrinterThatStaysStopsTheRemovalAndFails)
{
    for (const char* failing : {"OpenPrinter", "DeletePrinter"}) {
        SCOPED_TRACE(failing);
        FakeUninstallSystem fake;
        fake.failOn = failing;
        fake.failError = 5;
        UninstallOutcome outcome = Uninstall(fake);
        EXPECT_FALSE(outcome.complete);
        ASSERT_EQ(1u, outcome.steps.size()) << "driver and default printer stay with their printer";
        EXPECT_EQ(UninstallResult::Failed, outcome.steps[0].result);
        EXPECT_EQ(5u, outcome.steps[0].errorCode);
        EXPECT_TRUE(fake.printerPresent);
        EXPECT_TRUE(fake.driverPresent);
        EXPECT_TRUE(fake.device.has_value());
        EXPECT_EQ(0, fake.openHandles) << "an opened printer is closed also when deleting fails";
    }
}

TEST(Uninstallation, ADriverThatAnotherPrinterUsesStaysAndTheRemovalIsComplete)
{
    struct Case {
        const char* what;
        std::vector<SpoolerPrinter> others;
        uint32_t spoolerAnswer;  // what deleting the driver answers (Windows: 3001 while in use)
        std::vector<std::string> users;
    };
    const Case cases[] = {
        // Wine's spooler would delete it: the list alone must keep it.
        {"listed user", {{"Shop Counter", "VELM58KD"}, {"Office", "Other Driver"}}, 0, {"Shop Counter"}},
        // A user the list does not show (our printer waiting for its jobs): the spooler's word.
        {"refused with 3001", {}, 3001, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeUninstallSystem fake;
        fake.otherPrinters = c.others;
        if (c.spoolerAnswer != 0) {
            fake.failOn = "DeleteDriver";
            fake.failError = c.spoolerAnswer;
        }
        UninstallOutcome outcome = Uninstall(fake);
        EXPECT_TRUE(outcome.complete) << "what the installation added is gone";
        ASSERT_EQ(3u, outcome.steps.size());
        EXPECT_EQ(UninstallResult::Removed, outcome.steps[0].result);
        EXPECT_FALSE(fake.printerPresent);
        EXPECT_EQ(UninstallResult::InUse, outcome.steps[1].result);
        EXPECT_EQ(c.users, outcome.steps[1].users);
        EXPECT_EQ(c.spoolerAnswer, outcome.steps[1].errorCode);
        EXPECT_TRUE(fake.driverPresent);
        if (c.spoolerAnswer == 0)
            EXPECT_EQ(0u, std::count(fake.log.begin(), fake.log.end(), "DeleteDriver Windows x64 VELM58KD"))
                << "not even asked to delete it";
        EXPECT_EQ(UninstallResult::Removed, outcome.steps[2].result) << "the Device value still named our printer";
    }
}

TEST(Uninstallation, PrintersThatUseTheDriverAreTheOthersOnIt)
{
    const std::vector<SpoolerPrinter> printers = {
        {"VELM58KD", "VELM58KD"},        // ours, still listed while its jobs finish
        {"velm58kd", "VELM58KD"},        // ours in another case
        {"VELM58KD (Copy 1)", "VELM58KD"},
        {"Receipt", "VELM58KD2"},        // a driver whose name merely starts alike
        {"\\\\server\\VELM58KD", "velm58kd"},  // a connection; driver names ignore case
        {"收银台", "VELM58KD"},
    };
    EXPECT_EQ(std::vector<std::string>({"VELM58KD (Copy 1)", "\\\\server\\VELM58KD", "收银台"}),
              OtherPrintersUsingDriver(printers, "VELM58KD", "VELM58KD"));
    EXPECT_TRUE(OtherPrintersUsingDriver({}, "VELM58KD", "VELM58KD").empty());
}

TEST(Uninstallation, PrintersThatCannotBeListedKeepTheDriverAndFail)
{
    FakeUninstallSystem fake;
    fake.failOn = "ListPrinters";
    fake.failError = 1722;  // RPC_S_SERVER_UNAVAILABLE
    UninstallOutcome outcome = Uninstall(fake);
    EXPECT_FALSE(outcome.complete);
    EXPECT_EQ(UninstallResult::Failed, outcome.steps[1].result);
    EXPECT_EQ(1722u, outcome.steps[1].errorCode);
    EXPECT_TRUE(fake.driverPresent);
}

TEST(Uninstallation, ADeviceValueThatIsNoStringIsLeftAlone)
{
    for (uint32_t type : {3u /* REG_BINARY */, 4u /* REG_DWORD */, 7u /* REG_MULTI_SZ */}) {
        SCOPED_TRACE(type);
        FakeUninstallSystem fake;
        fake.deviceType = type;
        UninstallOutcome outcome = Uninstall(fake);
        EXPECT_TRUE(outcome.complete);
        EXPECT_EQ(UninstallResult::NotString, outcome.steps[2].result);
        EXPECT_EQ(type, outcome.steps[2].valueType);
        EXPECT_TRUE(fake.device.has_value());
        EXPECT_EQ("ReadDevice", fake.log.back());
    }
    FakeUninstallSystem expandable;
    expandable.deviceType = 2;  // REG_EXPAND_SZ is a string
    EXPECT_EQ(UninstallResult::Removed, Uninstall(expandable).steps[2].result);
}

TEST(Uninstallation, TheDeviceValueThatCannotBeReadOrDeletedFails)
{
    for (const char* failing : {"ReadDevice", "DeleteDevice"}) {
        SCOPED_TRACE(failing);
        FakeUninstallSystem fake;
        fake.failOn = failing;
        fake.failError = 5;
        UninstallOutcome outcome = Uninstall(fake);
        EXPECT_FALSE(outcome.complete);
        EXPECT_EQ(UninstallResult::Failed, outcome.steps.back().result);
        EXPECT_EQ(UninstallItem::DefaultPrinterValue, outcome.steps.back().item);
        EXPECT_FALSE(fake.printerPresent);
        EXPECT_FALSE(fake.driverPresent);
    }
}

}  // namespace

TEST(Uninstallation, LegacyDefaultPrinterModeGoesBackOnlyWhereTheInstallationChangedItAndTheUserDidNot)
{
    const std::string sid = "S-1-5-21-3";
    // record: none when the installation changed nothing; otherUser: the person at the desktop is another account
    // (sid's hive); result Absent: no step at all
    // The record as read (its type, the error of reading it) and the errors of the Windows key and of the
    // record's key decide too; `subject`: what the step says the value was before.
    struct Case { const char *name, *record; RegistryDword now; bool otherUser; std::string failOn; UninstallResult result;
                  std::vector<std::string> calls; uint32_t recordType = 1, recordError = 0, modeError = 0, keyError = 0;
                  const char* subject = nullptr; };
    for (const Case& c : {
             Case{"no record", nullptr, Dword(1), false, "", UninstallResult::Absent, {}},
             Case{"was absent, still 1", "absent", Dword(1), false, "", UninstallResult::Restored,
                  {"ReadLegacyMode", "DeleteLegacyMode", "DeleteLegacyRecord"}},
             Case{"was 0, still 1, another user", "0", Dword(1), true, "", UninstallResult::Restored,
                  {"ReadLegacyMode " + sid, "SetLegacyMode 0 " + sid, "DeleteLegacyRecord " + sid}},
             Case{"was 0, the user set 0 since", "0", Dword(0), false, "", UninstallResult::Kept,
                  {"ReadLegacyMode", "DeleteLegacyRecord"}},
             Case{"cannot be written: the record stays", "0", Dword(1), false, "SetLegacyMode", UninstallResult::Failed,
                  {"ReadLegacyMode", "SetLegacyMode 0"}},
             Case{"a record of another type names nothing", "0", Dword(1), false, "", UninstallResult::Kept,
                  {"ReadLegacyMode", "DeleteLegacyRecord"}, 4, 0, 0, 0, "?"},
             Case{"a record longer than ours names nothing", "1234567890123456", Dword(1), false, "", UninstallResult::Kept,
                  {"ReadLegacyMode", "DeleteLegacyRecord"}, 1, 0, 0, 0, "?"},
             Case{"a record grown while read (ERROR_MORE_DATA) names nothing", "0", Dword(1), true, "",
                  UninstallResult::Kept, {"ReadLegacyMode " + sid, "DeleteLegacyRecord " + sid}, 1, 234, 0, 0, "?"},
             Case{"an unreadable record fails and stays", "0", Dword(1), false, "", UninstallResult::Failed, {}, 1, 5},
             Case{"no Windows key: the value is not 1", "absent", Dword(1), false, "", UninstallResult::Kept,
                  {"ReadLegacyMode", "DeleteLegacyRecord"}, 1, 0, 2, 0, "absent"},
             Case{"the record's key already gone", "0", Dword(0), false, "", UninstallResult::Kept,
                  {"ReadLegacyMode", "DeleteLegacyRecord"}, 1, 0, 0, 2, "0"},
             Case{"the record's key cannot be deleted", "absent", Dword(1), false, "DeleteLegacyRecord",
                  UninstallResult::Failed, {"ReadLegacyMode", "DeleteLegacyMode", "DeleteLegacyRecord"}},
         }) {
        FakeUninstallSystem fake;
        if (c.record)
            fake.legacyRecord = std::string(c.record);
        fake.legacyMode = c.now;
        fake.failOn = c.failOn;
        fake.legacyRecordType = c.recordType;
        fake.legacyRecordError = c.recordError;
        fake.legacyModeError = c.modeError;
        fake.recordKeyError = c.keyError;
        DefaultPrinterTarget target;
        target.hive = c.otherUser ? DefaultPrinterHive::DesktopUser : DefaultPrinterHive::CurrentUser;
        target.sid = fake.deviceHive = c.otherUser ? sid : "";
        const UninstallOutcome outcome = RunUninstallation("VELM58KD", "VELM58KD", "Windows x64", fake, target);
        std::vector<std::string> calls;
        std::copy_if(fake.log.begin(), fake.log.end(), std::back_inserter(calls),
                     [](const std::string& line) { return line.find("Legacy") != std::string::npos; });
        EXPECT_EQ(c.calls, calls) << c.name;
        const UninstallStep& last = outcome.steps.back();
        EXPECT_EQ(c.result, last.item == UninstallItem::DefaultPrinterMode ? last.result : UninstallResult::Absent)
            << c.name;
        if (c.subject)
            EXPECT_EQ(c.subject, last.subject) << c.name;
    }
}

// A handle dies with the spooler that gave it: DeletePrinter after a restart is made again as
// open, delete, close; one that then finds no printer (the first call deleted it) has removed it.
TEST(Uninstallation, ADeletePrinterLostWithARestartedSpoolerIsMadeAgainWhole)
{
    for (const bool deletedBeforeTheStop : {false, true}) {
        FakeUninstallSystem fake;
        fake.failOn = "DeletePrinter";
        fake.failError = kErrorRpcServerUnavailable;
        FakeSpoolerService service;
        service.onStarted = [&] { fake.failOn.clear(), fake.printerPresent = !deletedBeforeTheStop, fake.RestartSpooler(); };
        SpoolerServiceGuard guard(&service, [] { return true; });
        ServiceCheckedUninstallSystem removal(fake, guard);
        const UninstallOutcome outcome = RunUninstallation("VELM58KD", "VELM58KD", "Windows x64", removal);

        EXPECT_TRUE(outcome.complete && outcome.steps.at(0).result == UninstallResult::Removed) << deletedBeforeTheStop;
        const Log expected = deletedBeforeTheStop ? Log{"OpenPrinter VELM58KD", "DeletePrinter", "OpenPrinter VELM58KD",
                                                        "ClosePrinter (dead handle)", "ListPrinters"}
                                                  : Log{"OpenPrinter VELM58KD", "DeletePrinter", "OpenPrinter VELM58KD",
                                                        "DeletePrinter", "ClosePrinter", "ClosePrinter (dead handle)",
                                                        "ListPrinters"};
        EXPECT_EQ(expected, Log(fake.log.begin(), fake.log.begin() + static_cast<long>(expected.size())));
        EXPECT_EQ(0, fake.openHandles);
    }
}
