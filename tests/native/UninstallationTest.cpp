#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "UninstallFake.h"
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
    RegistryDword one, zero, text;
    one.kind = zero.kind = RegistryDword::Kind::Dword;
    one.dword = 1;
    text.kind = RegistryDword::Kind::OtherType;
    text.type = 1;
    struct Case {
        const char* name;
        const char* record;  // null: the installation changed nothing
        RegistryDword now;
        std::string failOn;
        UninstallResult result;  // Absent: no step at all
        std::vector<std::string> calls;
        RegistryDword after;
    };
    for (const Case& c : {
             Case{"no record", nullptr, one, "", UninstallResult::Absent, {}, one},
             Case{"was absent, still 1", "absent", one, "", UninstallResult::Restored,
                  {"ReadLegacyMode", "DeleteLegacyMode", "DeleteLegacyRecord"}, RegistryDword()},
             Case{"was 0, still 1", "0", one, "", UninstallResult::Restored,
                  {"ReadLegacyMode", "SetLegacyMode 0", "DeleteLegacyRecord"}, zero},
             Case{"was 0, the user set 0 since", "0", zero, "", UninstallResult::Kept,
                  {"ReadLegacyMode", "DeleteLegacyRecord"}, zero},
             Case{"was absent, the user removed it since", "absent", RegistryDword(), "", UninstallResult::Kept,
                  {"ReadLegacyMode", "DeleteLegacyRecord"}, RegistryDword()},
             Case{"now a string", "0", text, "", UninstallResult::Kept, {"ReadLegacyMode", "DeleteLegacyRecord"}, text},
             Case{"a record we cannot read", "1e3", one, "", UninstallResult::Kept,
                  {"ReadLegacyMode", "DeleteLegacyRecord"}, one},
             Case{"the record cannot be read", "0", one, "ReadLegacyRecord", UninstallResult::Failed, {}, one},
             Case{"the value cannot be written", "0", one, "SetLegacyMode", UninstallResult::Failed,
                  {"ReadLegacyMode", "SetLegacyMode 0"}, one},
         }) {
        FakeUninstallSystem fake;
        if (c.record)
            fake.legacyRecord = std::string(c.record);
        fake.legacyMode = c.now;
        fake.failOn = c.failOn;
        UninstallOutcome outcome = Uninstall(fake);
        std::vector<std::string> calls;
        for (const std::string& line : fake.log)
            if (line.find("Legacy") != std::string::npos)
                calls.push_back(line);
        EXPECT_EQ(c.calls, calls) << c.name;
        EXPECT_EQ(c.after.kind, fake.legacyMode.kind) << c.name;
        EXPECT_EQ(c.after.dword, fake.legacyMode.dword) << c.name;
        EXPECT_EQ(c.result != UninstallResult::Failed, outcome.complete) << c.name;
        if (c.result == UninstallResult::Absent) {
            EXPECT_EQ(UninstallItem::DefaultPrinterValue, outcome.steps.back().item) << c.name;
            continue;
        }
        ASSERT_EQ(UninstallItem::DefaultPrinterMode, outcome.steps.back().item) << c.name;
        EXPECT_EQ(c.result, outcome.steps.back().result) << c.name;
        EXPECT_EQ(c.result == UninstallResult::Failed, fake.legacyRecord.has_value()) << c.name;
    }
}

TEST(Uninstallation, TheDesktopUsersLegacyModeIsPutBackInTheirHiveAndNobodysWhenNoOneIsLoggedOn)
{
    RegistryDword one;
    one.kind = RegistryDword::Kind::Dword;
    one.dword = 1;
    FakeUninstallSystem fake;
    fake.deviceHive = "S-1-5-21-3";
    fake.legacyRecord = std::string("absent");
    fake.legacyMode = one;
    DefaultPrinterTarget desktop;
    desktop.hive = DefaultPrinterHive::DesktopUser;
    desktop.sid = "S-1-5-21-3";
    UninstallOutcome outcome = RunUninstallation("VELM58KD", "VELM58KD", "Windows x64", fake, desktop);
    EXPECT_EQ(UninstallResult::Restored, outcome.steps.back().result);
    EXPECT_EQ("DeleteLegacyRecord S-1-5-21-3", fake.log.back());

    FakeUninstallSystem nobody;
    nobody.legacyRecord = std::string("0");
    nobody.legacyMode = one;
    DefaultPrinterTarget none;
    none.hive = DefaultPrinterHive::NobodyLoggedOn;
    RunUninstallation("VELM58KD", "VELM58KD", "Windows x64", nobody, none);
    EXPECT_TRUE(nobody.legacyRecord.has_value());
    EXPECT_TRUE(nobody.legacyMode.IsDword(1));
}
