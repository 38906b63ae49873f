#include <gtest/gtest.h>

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
    EXPECT_EQ(Log({"OpenPrinter VELM58KD", "DeletePrinter", "ClosePrinter", "DeleteDriver Windows x64 VELM58KD",
                   "ReadDevice", "DeleteDevice"}),
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
    EXPECT_EQ(Log({"OpenPrinter VELM58KD", "DeleteDriver Windows x64 VELM58KD", "ReadDevice"}), fake.log);
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

TEST(Uninstallation, ADriverStillInUseFailsButTheDeviceValueIsStillCleared)
{
    FakeUninstallSystem fake;
    fake.failOn = "DeleteDriver";
    fake.failError = 3001;  // ERROR_PRINTER_DRIVER_IN_USE: another printer uses it
    UninstallOutcome outcome = Uninstall(fake);
    EXPECT_FALSE(outcome.complete);
    ASSERT_EQ(3u, outcome.steps.size());
    EXPECT_EQ(UninstallResult::Removed, outcome.steps[0].result);
    EXPECT_EQ(UninstallResult::Failed, outcome.steps[1].result);
    EXPECT_EQ(3001u, outcome.steps[1].errorCode);
    EXPECT_EQ(UninstallResult::Removed, outcome.steps[2].result);
    EXPECT_TRUE(fake.driverPresent);
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
