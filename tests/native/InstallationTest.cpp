#include <gtest/gtest.h>

#include <cctype>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "FakeInstallSystem.h"
#include "install/DriverFileVersion.h"
#include "install/DriverReadBack.h"
#include "FakeSpoolerService.h"
#include "install/InstallFailureText.h"
#include "install/Installation.h"
#include "install/PackageSeal.h"
#include "install/ServiceCheckedSpooler.h"

namespace {

const std::string kDir = "C:\\WINDOWS\\system32\\spool\\drivers\\x64";
const std::string kWindowsKey = "HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
const std::string kPortsKey = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";

InstallChoices DefaultChoices(HostArchitecture host = HostArchitecture::X64)
{
    InstallChoices choices;
    choices.host = host;
    choices.port = "LPT1:";
    return choices;
}

InstallOutcome Install(FakeInstallSystem& fake, const InstallChoices& choices)
{
    InstallSystem system = fake.System();
    return RunInstallation(choices, system);
}

// The names of a multi-string, up to the empty name that ends it.
std::vector<std::string> Names(const std::vector<char>& list)
{
    std::vector<std::string> names;
    for (size_t at = 0; at < list.size() && list[at] != '\0';) {
        names.emplace_back(&list[at]);
        at += names.back().size() + 1;
    }
    return names;
}

const std::vector<int> kFullProgress = {10, 20, 30, 40, 50, 60, 70, 80, 90, 95, 100};

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::wstring Widen(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

// Last-write times (FILETIME): 2012-03-01 and 2021-06-05, 00:00 UTC.
constexpr uint64_t kMarch2012 = 129750336000000000ULL, kJune2021 = 132673248000000000ULL;

}  // namespace

TEST(Installation, X64RunsEveryStepInOrder)
{
    FakeInstallSystem fake;
    InstallOutcome outcome = Install(fake, DefaultChoices());

    const std::string src = "Printer Driver\\x64\\";
    std::vector<std::string> expected;
    for (const char* name : {"QRX58.DLL", "VELM58KD.GPD", "uniDRVui.DLL", "uniDRV.DLL", "UNIDRV.HLP", "UNIRES.DLL",
                             "TTFSUB.GPD", "STDNAMES.GPD"})
        expected.push_back("CheckReadable " + src + name);
    expected.push_back("CheckReadable " + src + "KAPLINX.ini");  // not in the package: left out
    expected.push_back("CheckReadable " + src + "KAPLINX.dll");
    auto copy = [&](const char* name) { expected.push_back("Copy " + src + name + " -> " + kDir + "\\" + name); };
    expected.push_back("GetDriverDirectory Windows x64 255");
    copy("QRX58.DLL");
    expected.push_back("Progress 10");
    copy("VELM58KD.GPD");
    expected.push_back("Progress 20");
    copy("uniDRVui.DLL");
    expected.push_back("Progress 30");
    copy("uniDRV.DLL");
    copy("UNIDRV.HLP");
    expected.push_back("Progress 40");
    copy("UNIRES.DLL");
    copy("TTFSUB.GPD");
    expected.push_back("Progress 50");
    copy("STDNAMES.GPD");
    expected.push_back("Progress 60");
    for (const char* name : {"uniDRV.DLL", "VELM58KD.GPD", "uniDRVui.DLL", "uniDRV.HLP", "ttfsub.GPD", "unires.DLL",
                             "stdnames.GPD", "QRX58.DLL"})
        expected.push_back("CheckReadable " + kDir + "\\" + name);  // every file the record names is there
    expected.push_back("AddDriver VELM58KD Windows x64");
    expected.push_back("GetInstalledDriver VELM58KD Windows x64");
    expected.push_back("Progress 70");
    expected.push_back("CreatePrinter VELM58KD on LPT1:");
    expected.push_back("Progress 80");
    expected.push_back("CreateKey " + kWindowsKey);
    expected.push_back("SetValue " + kWindowsKey + "\\Device");
    expected.push_back("CloseKey " + kWindowsKey);
    expected.push_back("Announce windows");  // after the value is there, as SetDefaultPrinter does
    expected.push_back("Progress 90");
    expected.push_back("Progress 95");
    expected.push_back("ClosePrinter");
    expected.push_back("Pause 500");
    expected.push_back("Progress 100");

    EXPECT_EQ(expected, fake.log);
    EXPECT_TRUE(outcome.succeeded);
    EXPECT_EQ(InstallStep::None, outcome.failedStep);
    EXPECT_FALSE(outcome.printerExisted);
    EXPECT_FALSE(outcome.registryWriteFailed);
    EXPECT_EQ(0, fake.openHandles);
    EXPECT_EQ(0, fake.openKeys);
}

TEST(Installation, X86UsesItsEnvironmentAndSourceFolder)
{
    FakeInstallSystem fake;
    fake.driverDirectory = "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86";
    ASSERT_TRUE(Install(fake, DefaultChoices(HostArchitecture::X86)).succeeded);

    EXPECT_EQ("GetDriverDirectory Windows NT x86 255", fake.log[10]);
    EXPECT_EQ("Copy Printer Driver\\x86\\QRX58.DLL -> C:\\WINDOWS\\system32\\spool\\drivers\\w32x86\\QRX58.DLL",
              fake.log[11]);
    EXPECT_EQ("Copy Printer Driver\\x86\\STDNAMES.GPD -> C:\\WINDOWS\\system32\\spool\\drivers\\w32x86\\STDNAMES.GPD",
              fake.Changes()[7]);
    ASSERT_EQ(1u, fake.drivers.size());
    EXPECT_EQ("Windows NT x86", fake.drivers[0].environment);
    EXPECT_EQ(kFullProgress, fake.progress);
}

TEST(Installation, Arm64UsesItsEnvironmentAndFolderWhenThePackageHasOne)
{
    FakeInstallSystem fake;
    fake.folders.insert("Printer Driver\\arm64\\");
    fake.driverDirectory = "C:\\Windows\\system32\\spool\\drivers\\arm64";
    ASSERT_TRUE(Install(fake, DefaultChoices(HostArchitecture::Arm64)).succeeded);

    EXPECT_EQ("HasFolder Printer Driver\\arm64\\", fake.log[0]);
    EXPECT_EQ("CheckReadable Printer Driver\\arm64\\QRX58.DLL", fake.log[1]);
    EXPECT_EQ("GetDriverDirectory Windows ARM64 255", fake.log[11]);
    EXPECT_EQ("Copy Printer Driver\\arm64\\STDNAMES.GPD -> C:\\Windows\\system32\\spool\\drivers\\arm64\\STDNAMES.GPD",
              fake.Changes()[7]);
    ASSERT_EQ(1u, fake.drivers.size());
    EXPECT_EQ("Windows ARM64", fake.drivers[0].environment);
    EXPECT_EQ(kFullProgress, fake.progress);
}

TEST(Installation, Arm64WithoutAnArm64FolderIsRefusedBeforeAnythingElse)
{
    FakeInstallSystem fake;  // x86 and x64 folders only, as the package is shipped today
    InstallOutcome outcome = Install(fake, DefaultChoices(HostArchitecture::Arm64));
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_EQ(InstallStep::NoDriverForHost, outcome.failedStep);
    EXPECT_EQ("Printer Driver\\arm64\\", outcome.subject);
    EXPECT_EQ(std::vector<std::string>{"HasFolder Printer Driver\\arm64\\"}, fake.log)
        << "not even the driver directory is asked for";
    EXPECT_TRUE(fake.progress.empty());
}

TEST(Installation, TheDriverRecordIsALevelThreeUnidrvRecord)
{
    FakeInstallSystem fake;
    InstallChoices choices = DefaultChoices();
    choices.monitorName = "";
    ASSERT_TRUE(Install(fake, choices).succeeded);
    ASSERT_EQ(1u, fake.drivers.size());
    const DriverRecord& driver = fake.drivers[0];
    EXPECT_EQ(3u, driver.version) << "a user-mode driver";
    EXPECT_EQ("VELM58KD", driver.name);
    EXPECT_EQ("Windows x64", driver.environment);
    // Bare file names of files in the driver directory: no leading backslash (the drive's root).
    EXPECT_EQ("uniDRV.DLL", driver.driverPath);
    EXPECT_EQ("VELM58KD.GPD", driver.dataFile);
    EXPECT_EQ("uniDRVui.DLL", driver.configFile);
    EXPECT_EQ("uniDRV.HLP", driver.helpFile);
    EXPECT_EQ("", driver.monitorName);
    EXPECT_EQ("RAW", driver.defaultDataType);

    // The sample package has no KAPLINX files: neither copied nor named. A package that has them: both.
    EXPECT_EQ((std::vector<std::string>{"ttfsub.GPD", "unires.DLL", "stdnames.GPD", "QRX58.DLL"}),
              Names(driver.dependentFiles));
    ASSERT_EQ(255u, driver.dependentFiles.size());
    EXPECT_EQ(12u, fake.Changes().size()) << "8 copies, AddDriver, CreatePrinter, the default printer's key and value";
    FakeInstallSystem full;
    full.packageHasKaplinx = true;
    ASSERT_TRUE(Install(full, choices).succeeded);
    EXPECT_EQ("QRX58.DLL", Names(full.drivers[0].dependentFiles).at(5));
    EXPECT_EQ("Copy Printer Driver\\x64\\KAPLINX.dll -> " + kDir + "\\KAPLINX.dll", full.Changes()[9]);
}

TEST(Installation, ThePrinterRecordUsesTheDriverNameAndTheChosenPort)
{
    FakeInstallSystem fake;
    InstallChoices choices = DefaultChoices();
    choices.port = "COM2:";
    ASSERT_TRUE(Install(fake, choices).succeeded);
    ASSERT_EQ(1u, fake.printers.size());
    const PrinterRecord& printer = fake.printers[0];
    EXPECT_EQ("VELM58KD", printer.printerName);
    EXPECT_EQ("COM2:", printer.portName);
    EXPECT_EQ("VELM58KD", printer.driverName);
    EXPECT_EQ("WinPrint", printer.printProcessor);
    EXPECT_EQ("RAW", printer.datatype);
}

TEST(Installation, RefusalsChangeNothing)
{
    {
        FakeInstallSystem fake;
        InstallChoices choices = DefaultChoices();
        choices.port.clear();
        InstallOutcome outcome = Install(fake, choices);
        EXPECT_FALSE(outcome.succeeded);
        EXPECT_EQ(InstallStep::CheckPort, outcome.failedStep);
        EXPECT_TRUE(fake.log.empty());
    }
    for (int model : {-1, 1}) {
        FakeInstallSystem fake;
        InstallChoices choices = DefaultChoices();
        choices.modelIndex = model;
        InstallOutcome outcome = Install(fake, choices);
        EXPECT_EQ(InstallStep::CheckModel, outcome.failedStep) << model;
        EXPECT_TRUE(fake.log.empty()) << model;
    }
}

TEST(Installation, MissingPackageFilesAreAllNamedAndNothingChanges)
{
    FakeInstallSystem fake;
    fake.missing = {"Printer Driver\\x64\\VELM58KD.GPD", "Printer Driver\\x64\\STDNAMES.GPD"};
    InstallOutcome outcome = Install(fake, DefaultChoices());

    EXPECT_FALSE(outcome.succeeded);
    EXPECT_EQ(InstallStep::CheckPackage, outcome.failedStep);
    EXPECT_EQ(std::vector<std::string>({"Printer Driver\\x64\\VELM58KD.GPD", "Printer Driver\\x64\\STDNAMES.GPD"}),
              outcome.missingFiles);
    EXPECT_TRUE(fake.Changes().empty());
    EXPECT_TRUE(fake.progress.empty());
    EXPECT_EQ(8u, fake.log.size());  // only the eight checks
}

TEST(Installation, EmptyPackageFilesAreNamedWithTheMissingOnesAndNothingChanges)
{
    FakeInstallSystem fake;
    fake.empty = {"Printer Driver\\x64\\VELM58KD.GPD"};
    InstallOutcome outcome = Install(fake, DefaultChoices());
    EXPECT_EQ(InstallStep::CheckPackage, outcome.failedStep);
    EXPECT_EQ(std::vector<std::string>({"Printer Driver\\x64\\VELM58KD.GPD"}), outcome.emptyFiles);
    EXPECT_TRUE(outcome.missingFiles.empty());
    EXPECT_TRUE(fake.Changes().empty());
    EXPECT_TRUE(fake.progress.empty());

    // Both kinds in one message, whatever the order of the files.
    FakeInstallSystem both;
    both.empty = {"Printer Driver\\x64\\QRX58.DLL"};
    both.missing = {"Printer Driver\\x64\\UNIRES.DLL"};
    outcome = Install(both, DefaultChoices());
    EXPECT_EQ(InstallStep::CheckPackage, outcome.failedStep);
    EXPECT_EQ(std::vector<std::string>({"Printer Driver\\x64\\QRX58.DLL"}), outcome.emptyFiles);
    EXPECT_EQ(std::vector<std::string>({"Printer Driver\\x64\\UNIRES.DLL"}), outcome.missingFiles);
    EXPECT_TRUE(both.Changes().empty());
}

TEST(Installation, AFileThatCannotBeReadStopsTheRunBeforeTheFirstCopy)
{
    FakeInstallSystem fake;
    fake.unreadable = {{"Printer Driver\\x64\\UNIRES.DLL", 32}, {"Printer Driver\\x64\\TTFSUB.GPD", 206}};
    InstallOutcome outcome = Install(fake, DefaultChoices());

    EXPECT_FALSE(outcome.succeeded);
    EXPECT_EQ(InstallStep::ReadPackage, outcome.failedStep);
    EXPECT_EQ(32u, outcome.errorCode);  // the first file that failed, in copying order
    EXPECT_EQ("Printer Driver\\x64\\UNIRES.DLL", outcome.subject);
    EXPECT_TRUE(fake.Changes().empty());
    EXPECT_TRUE(fake.progress.empty());
}

TEST(Installation, MissingFilesAreNamedBeforeAnUnreadableOne)
{
    FakeInstallSystem fake;
    fake.unreadable = {{"Printer Driver\\x64\\QRX58.DLL", 5}};
    fake.missing = {"Printer Driver\\x64\\STDNAMES.GPD"};
    InstallOutcome outcome = Install(fake, DefaultChoices());

    EXPECT_EQ(InstallStep::CheckPackage, outcome.failedStep);
    EXPECT_EQ(std::vector<std::string>({"Printer Driver\\x64\\STDNAMES.GPD"}), outcome.missingFiles);
    EXPECT_TRUE(fake.Changes().empty());
}

TEST(Installation, ALongDriverDirectoryIsAskedForAgainWithTheSizeNeeded)
{
    FakeInstallSystem fake;
    fake.driverDirectory = "D:\\" + std::string(290, 'd');
    ASSERT_TRUE(Install(fake, DefaultChoices()).succeeded);
    EXPECT_EQ("GetDriverDirectory Windows x64 255", fake.log[10]);
    EXPECT_EQ("GetDriverDirectory Windows x64 294", fake.log[11]);
    EXPECT_EQ("Copy Printer Driver\\x64\\QRX58.DLL -> " + fake.driverDirectory + "\\QRX58.DLL", fake.log[12]);
}

TEST(Installation, AnEmptyOrLossyDriverDirectoryStopsBeforeAnyCopy)
{
    FakeInstallSystem fake;
    fake.driverDirectory = "";
    InstallOutcome outcome = Install(fake, DefaultChoices());
    EXPECT_EQ(InstallStep::DriverDirectory, outcome.failedStep);
    EXPECT_NE(0u, outcome.errorCode);
    EXPECT_TRUE(fake.Changes().empty());

    // The code page's form of a folder it cannot name: no path to copy to.
    FakeInstallSystem lossy;
    lossy.driverDirectory = "C:\\??\\spool\\drivers\\x64";
    outcome = Install(lossy, DefaultChoices());
    EXPECT_EQ(InstallStep::DriverDirectory, outcome.failedStep);
    EXPECT_EQ(kErrorNoUnicodeTranslation, outcome.errorCode);
    EXPECT_TRUE(lossy.Changes().empty());
}

struct StepFailure {
    std::string failOn;          // the log line that fails
    InstallStep step;
    std::string subject;
    std::vector<int> progress;   // the positions reached before the failure
};

class InstallationFailure : public testing::TestWithParam<StepFailure> {};

TEST_P(InstallationFailure, StopsAtTheFailedStepAndNamesIt)
{
    const StepFailure& failure = GetParam();
    FakeInstallSystem fake;
    fake.failOn = failure.failOn;
    fake.failError = 5;
    InstallOutcome outcome = Install(fake, DefaultChoices());

    EXPECT_FALSE(outcome.succeeded);
    EXPECT_EQ(failure.step, outcome.failedStep);
    EXPECT_EQ(5u, outcome.errorCode);
    EXPECT_EQ(failure.subject, outcome.subject);
    EXPECT_EQ(failure.progress, fake.progress);
    ASSERT_FALSE(fake.log.empty());
    EXPECT_EQ(0u, fake.log.back().rfind(failure.failOn, 0)) << "went on after the failure: " << fake.log.back();
    EXPECT_EQ(0, fake.registryMessages);
    EXPECT_EQ(0, fake.openHandles);
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, InstallationFailure,
    testing::Values(
        StepFailure{"GetDriverDirectory", InstallStep::DriverDirectory, "Windows x64", {}},
        StepFailure{"Copy Printer Driver\\x64\\QRX58.DLL", InstallStep::CopyFile, "Printer Driver\\x64\\QRX58.DLL", {}},
        StepFailure{"Copy Printer Driver\\x64\\VELM58KD.GPD", InstallStep::CopyFile,
                    "Printer Driver\\x64\\VELM58KD.GPD", {10}},
        StepFailure{"Copy Printer Driver\\x64\\uniDRVui.DLL", InstallStep::CopyFile,
                    "Printer Driver\\x64\\uniDRVui.DLL", {10, 20}},
        StepFailure{"Copy Printer Driver\\x64\\uniDRV.DLL", InstallStep::CopyFile, "Printer Driver\\x64\\uniDRV.DLL",
                    {10, 20, 30}},
        StepFailure{"Copy Printer Driver\\x64\\UNIDRV.HLP", InstallStep::CopyFile, "Printer Driver\\x64\\UNIDRV.HLP",
                    {10, 20, 30}},
        StepFailure{"Copy Printer Driver\\x64\\UNIRES.DLL", InstallStep::CopyFile, "Printer Driver\\x64\\UNIRES.DLL",
                    {10, 20, 30, 40}},
        StepFailure{"Copy Printer Driver\\x64\\TTFSUB.GPD", InstallStep::CopyFile, "Printer Driver\\x64\\TTFSUB.GPD",
                    {10, 20, 30, 40}},
        StepFailure{"Copy Printer Driver\\x64\\STDNAMES.GPD", InstallStep::CopyFile,
                    "Printer Driver\\x64\\STDNAMES.GPD", {10, 20, 30, 40, 50}},
        StepFailure{"AddDriver", InstallStep::RegisterDriver, "VELM58KD", {10, 20, 30, 40, 50, 60}},
        StepFailure{"CreatePrinter", InstallStep::AddPrinter, "VELM58KD", {10, 20, 30, 40, 50, 60, 70}}));

TEST(Installation, AFailedCopyNamesBothEnds)
{
    FakeInstallSystem fake;
    fake.failOn = "Copy Printer Driver\\x64\\UNIRES.DLL";
    InstallOutcome outcome = Install(fake, DefaultChoices());
    EXPECT_EQ(kDir + "\\UNIRES.DLL", outcome.target);
}

TEST(Installation, AnExistingPrinterIsMovedToTheChosenPort)
{
    FakeInstallSystem fake;
    fake.existingPrinters = {"VELM58KD"};
    InstallChoices choices = DefaultChoices();
    choices.port = "COM3:";
    InstallOutcome outcome = Install(fake, choices);

    EXPECT_TRUE(outcome.succeeded);
    EXPECT_TRUE(outcome.printerExisted);
    ASSERT_EQ(1u, fake.rebinds.size());
    EXPECT_EQ("COM3:", fake.rebinds[0].portName);
    EXPECT_EQ("VELM58KD", fake.rebinds[0].driverName);
    EXPECT_EQ(kFullProgress, fake.progress);
    EXPECT_EQ(0, fake.openHandles);
    EXPECT_EQ(std::string("VELM58KD,winspool,COM3:\0", 24), fake.values[kWindowsKey + "\\Device"]);
}

TEST(Installation, RunningTwiceIsARepair)
{
    FakeInstallSystem fake;
    ASSERT_TRUE(Install(fake, DefaultChoices()).succeeded);
    fake.log.clear();
    InstallOutcome second = Install(fake, DefaultChoices());
    EXPECT_TRUE(second.succeeded);
    EXPECT_TRUE(second.printerExisted);
    // Copies again, registers the driver again, moves the printer and writes "Device" again.
    std::vector<std::string> changes = fake.Changes();
    ASSERT_EQ(13u, changes.size());
    EXPECT_EQ(0u, changes[0].rfind("Copy ", 0));
    EXPECT_EQ(0u, changes[7].rfind("Copy ", 0));
    EXPECT_EQ("AddDriver VELM58KD Windows x64", changes[8]);
    EXPECT_EQ("CreatePrinter VELM58KD on LPT1:", changes[9]);
    EXPECT_EQ("Rebind VELM58KD to LPT1:", changes[10]);
    EXPECT_EQ("SetValue " + kWindowsKey + "\\Device", changes[12]);
}

TEST(Installation, AnExistingPrinterThatCannotBeChangedIsReported)
{
    for (const char* failOn : {"OpenExistingPrinter", "Rebind"}) {
        FakeInstallSystem fake;
        fake.existingPrinters = {"VELM58KD"};
        fake.failOn = failOn;
        InstallOutcome outcome = Install(fake, DefaultChoices());
        EXPECT_FALSE(outcome.succeeded) << failOn;
        EXPECT_EQ(InstallStep::UpdatePrinter, outcome.failedStep) << failOn;
        EXPECT_EQ(5u, outcome.errorCode) << failOn;
        EXPECT_EQ("LPT1:", outcome.target) << failOn;
        EXPECT_EQ(0, fake.openHandles) << failOn;
        EXPECT_EQ(0u, fake.values.size()) << failOn;
    }
}

TEST(Installation, ADriverTheSpoolerKeepsIsNotAFailure)
{
    // A rerun: the kept driver's files are the package's.
    FakeInstallSystem fake;
    fake.driverInstalled = true;
    fake.alreadyInstalledError = kErrorPrinterDriverAlreadyInstalled;
    const char* const names[] = {"QRX58.DLL", "VELM58KD.GPD", "uniDRVui.DLL", "uniDRV.DLL",
                                 "UNIDRV.HLP", "UNIRES.DLL", "TTFSUB.GPD",   "STDNAMES.GPD"};
    for (const char* name : names)
        fake.disk[Upper(kDir + "\\3\\" + name)] = fake.Content(std::string("Printer Driver\\x64\\") + name);
    InstallOutcome outcome = Install(fake, DefaultChoices());
    EXPECT_TRUE(outcome.succeeded);
    EXPECT_TRUE(outcome.driverExisted);
    EXPECT_EQ(kFullProgress, fake.progress);

    // A kept driver of another package: its files are not these, so no printer goes on it.
    fake.disk[Upper(kDir + "\\3\\VELM58KD.GPD")] = "*GPDSpecVersion: \"0.9\"";
    fake.SetFacts(kDir + "\\3\\VELM58KD.GPD", {false, 0, 0, kMarch2012});
    fake.SetFacts("Printer Driver\\x64\\VELM58KD.GPD", {false, 0, 0, kJune2021});
    fake.existingPrinters.clear();
    fake.printers.clear();
    outcome = Install(fake, DefaultChoices());
    EXPECT_EQ(InstallStep::VerifyDriver, outcome.failedStep);
    EXPECT_TRUE(outcome.driverExisted);
    EXPECT_TRUE(fake.printers.empty());
}

TEST(Installation, RegistryFailuresShowTheMessageAndTheInstallationGoesOn)
{
    for (const std::string failOn : {"CreateKey " + kWindowsKey, "SetValue " + kWindowsKey}) {
        FakeInstallSystem fake;
        fake.failOn = failOn;
        InstallOutcome outcome = Install(fake, DefaultChoices());
        EXPECT_TRUE(outcome.succeeded) << failOn;
        EXPECT_TRUE(outcome.registryWriteFailed) << failOn;
        EXPECT_EQ(1, fake.registryMessages) << failOn;
        EXPECT_EQ(kFullProgress, fake.progress) << failOn;
        EXPECT_EQ(0, fake.openKeys) << failOn;
    }
}

TEST(Installation, TheProgressReachesItsEndAfterOnePauseOfHalfASecond)
{
    FakeInstallSystem fake;
    ASSERT_TRUE(Install(fake, DefaultChoices()).succeeded);
    EXPECT_EQ(std::vector<int>({500}), fake.pauses);
    EXPECT_EQ(kFullProgress, fake.progress);
}

// The read-back after the driver's registration: every package file must be what the spooler
// registered, in size and content, before a printer is put on the driver.
struct ReadBackCase {
    const char* what;
    std::function<void(FakeInstallSystem&)> arrange;
    InstalledFileProblem problem;
    std::string subject;  // the file the failure names
    uint32_t errorCode;
};

class InstallationReadBack : public testing::TestWithParam<ReadBackCase> {};

TEST_P(InstallationReadBack, AnInstalledFileThatIsNotThePackagesFailsBeforeAnyPrinter)
{
    const ReadBackCase& c = GetParam();
    FakeInstallSystem fake;
    c.arrange(fake);
    InstallOutcome outcome = Install(fake, DefaultChoices());

    EXPECT_FALSE(outcome.succeeded) << c.what;
    EXPECT_EQ(InstallStep::VerifyDriver, outcome.failedStep) << c.what;
    EXPECT_EQ(c.problem, outcome.fileProblem) << c.what;
    EXPECT_EQ(c.subject, outcome.subject) << c.what;
    EXPECT_EQ(c.errorCode, outcome.errorCode) << c.what;
    EXPECT_TRUE(fake.printers.empty()) << c.what;
    EXPECT_TRUE(fake.rebinds.empty()) << c.what;
    EXPECT_TRUE(fake.values.empty()) << c.what;
    EXPECT_EQ((std::vector<int>{10, 20, 30, 40, 50, 60}), fake.progress) << c.what;
}

const std::string kVersionDir = kDir + "\\3";

INSTANTIATE_TEST_SUITE_P(
    EveryProblem, InstallationReadBack,
    testing::Values(
        ReadBackCase{"an older GPD of another size stayed",
                     [](FakeInstallSystem& f) {
                         f.staleInstalled["VELM58KD.GPD"] = "*OldGPD";
                         f.SetFacts("Printer Driver\\x64\\VELM58KD.GPD", {false, 0, 0, kMarch2012});
                     },
                     InstalledFileProblem::SizeDiffers, kVersionDir + "\\VELM58KD.GPD", 0},
        ReadBackCase{"an older DLL of the same size stayed",
                     [](FakeInstallSystem& f) {
                         std::string same = f.Content("Printer Driver\\x64\\uniDRV.DLL");
                         same.back() ^= 1;
                         f.staleInstalled["uniDRV.DLL"] = same;
                         f.SetFacts("Printer Driver\\x64\\uniDRV.DLL", {false, 0, 0, kMarch2012});
                     },
                     InstalledFileProblem::ContentDiffers, kVersionDir + "\\uniDRV.DLL", 0},
        ReadBackCase{"a differing file whose package copy's date cannot be read", [](FakeInstallSystem& f) {
                         f.staleInstalled["ttfsub.GPD"] = "another copy";
                         f.factsErrors[Upper("Printer Driver\\x64\\TTFSUB.GPD")] = 5; },
                     InstalledFileProblem::Unreadable, "Printer Driver\\x64\\TTFSUB.GPD", 5},
        ReadBackCase{"an older Unidrv core in use stayed",
                     [](FakeInstallSystem& f) {
                         f.SetFacts("Printer Driver\\x64\\uniDRV.DLL", {true, 3, 0x0A280000, 0});
                         f.SetFacts(kVersionDir + "\\uniDRV.DLL", {true, 3, 0x01000000, 0});
                         f.staleInstalled["uniDRV.DLL"] = "an older core";
                     },
                     InstalledFileProblem::SizeDiffers, kVersionDir + "\\uniDRV.DLL", 0},
        ReadBackCase{"an installed file cannot be read",
                     [](FakeInstallSystem& f) { f.readErrors[Upper(kVersionDir + "\\uniDRVui.DLL")] = 32; },
                     InstalledFileProblem::Unreadable, kVersionDir + "\\uniDRVui.DLL", 32},
        ReadBackCase{"a dependent file is not in the version folder",
                     [](FakeInstallSystem& f) { f.readErrors[Upper(kVersionDir + "\\unires.DLL")] = 2; },
                     InstalledFileProblem::Missing, kVersionDir + "\\unires.DLL", 0},
        ReadBackCase{"a dependent file is not in the registration",
                     [](FakeInstallSystem& f) { f.notRegistered.insert("QRX58.DLL"); },
                     InstalledFileProblem::NotRegistered, "QRX58.DLL", 0},
        ReadBackCase{"the spooler does not report the driver",
                     [](FakeInstallSystem& f) { f.failOn = "GetInstalledDriver"; f.failError = 1797; },
                     InstalledFileProblem::DriverNotReported, "VELM58KD", 1797}));

TEST(Installation, TheReadBackPassesEqualFilesAndIgnoresRegisteredFilesThePackageDoesNotShip)
{
    // Equal files pass; the KAPLINX files are registered but never shipped, so not compared.
    FakeInstallSystem fake;
    fake.readErrors[Upper(kVersionDir + "\\KAPLINX.dll")] = 2;
    InstallOutcome outcome = Install(fake, DefaultChoices());
    ASSERT_TRUE(outcome.succeeded) << outcome.subject;
    EXPECT_EQ(kFullProgress, fake.progress);
}

// Protected print mode refuses before anything is looked at; the driver policies only explain refusals.
TEST(Installation, ProtectedPrintModeAndTheSpoolersRefusalsTheWarnedDriversRetryAndWhatTheFailureSays)
{
    using Answer = InstallFeedback::Answer;
    const std::string add = "AddDriver VELM58KD Windows x64", ask = "AskWarned VELM58KD",
                      retry = "AddWarnedDriver VELM58KD Windows x64", rights = "refused the administrator's rights";
    const ProtectedPrint off = ProtectedPrint::Off;
    // calls: AddDriver, AskWarned and AddWarnedDriver, or every call under protected print; failOn "Add" fails the
    // retry too; answer: asked only for 3013; words/absent: in the failure text and not (no words: it succeeds).
    const struct { const char* name; ProtectedPrint mode; std::string failOn; uint32_t error; Answer answer; bool elevated;
                   std::vector<std::string> calls; std::string words, absent; } cases[] = {
        {"protected print mode", ProtectedPrint::ByPolicy, "", 0, Answer::Yes, true, {},
         "It is on by group policy: WindowsProtectedPrintGroupPolicyState = 1", "could not be registered"},
        {"3014", off, "AddDriver", 3014, Answer::Yes, true, {add}, "Windows blocks this printer driver on this", rights},
        {"3013, yes", off, "AddDriver", 3013, Answer::Yes, false, {add, ask, retry}, "", ""},
        {"3013, yes, refused again", off, "Add", 3013, Answer::Yes, false, {add, ask, retry}, "it has 3 entries", "warns"},
        {"3013, no", off, "AddDriver", 3013, Answer::No, false, {add, ask}, "you chose not to", "/quiet"},
        {"3013, nobody to ask", off, "AddDriver", 3013, Answer::NobodyToAsk, false, {add, ask}, "without /quiet", "chose"},
        {"5, elevated", off, "AddDriver", 5, Answer::Yes, true, {add}, rights, "blocks"},
        {"740, elevated", off, "AddDriver", 740, Answer::Yes, true, {add}, rights, "blocks"},
        {"5 or 740, not elevated", off, "AddDriver", 740, Answer::Yes, false, {add}, "ValidationLevel is set to 1", rights},
    };
    for (const auto& c : cases) {
        FakeInstallSystem fake;
        fake.failOn = c.failOn;
        fake.failError = c.error;
        fake.warnedAnswer = c.answer;
        InstallSystem system = fake.System();
        system.policies.protectedPrint = c.mode;
        system.policies.driver = {Dword(1), 3};
        system.elevated = c.elevated;
        const InstallOutcome outcome = RunInstallation(DefaultChoices(), system);
        std::vector<std::string> calls;
        std::copy_if(fake.log.begin(), fake.log.end(), std::back_inserter(calls), [&](const std::string& line) {
            return c.mode != off || line.rfind("Add", 0) == 0 || line.rfind("Ask", 0) == 0; });
        EXPECT_EQ(c.calls, calls) << c.name;
        EXPECT_EQ(c.words.empty(), outcome.succeeded) << c.name;
        const std::wstring text =
            ComposeInstallFailure(outcome, L"", [](const std::string& s) { return std::wstring(s.begin(), s.end()); });
        const std::string shown = std::string(c.name) + ": " + std::string(text.begin(), text.end());
        EXPECT_TRUE(c.words.empty() || (shown.find(c.words) != std::string::npos && shown.find(c.absent) == std::string::npos))
            << shown;
    }
}

// R4, R5: the registration passes APD_RETURN_BLOCKING_STATUS_CODE, so that a policy's block is
// named; a Windows that refuses that flag (87) gets the plain call, as AddPrinterDriver makes it.
TEST(Installation, ThePolicyCodesAreAskedForAndAWindowsThatRefusesTheFlagGetsThePlainCall)
{
    const std::string add = "AddDriver VELM58KD Windows x64", plain = add + " without the blocking codes";
    const struct { bool refusesFlag; uint32_t policy; std::vector<std::string> calls; std::wstring words; } cases[] = {
        {false, 0, {add}, L""}, {true, 0, {add, plain}, L""},
        {false, kErrorPrinterDriverBlocked, {add}, L"Windows blocks this printer driver"}};
    for (const auto& c : cases) {
        FakeInstallSystem fake;
        fake.refusesBlockingStatus = c.refusesFlag;
        fake.policyRefusal = c.policy;
        const InstallOutcome outcome = Install(fake, DefaultChoices());
        std::vector<std::string> calls;
        std::copy_if(fake.log.begin(), fake.log.end(), std::back_inserter(calls),
                     [](const std::string& line) { return line.rfind("AddDriver", 0) == 0; });
        EXPECT_EQ(c.calls, calls) << c.refusesFlag;
        EXPECT_EQ(c.policy, outcome.errorCode) << c.refusesFlag;
        EXPECT_EQ(c.words.empty(), outcome.succeeded) << c.refusesFlag;
        if (!c.words.empty())
            EXPECT_NE(std::wstring::npos, ComposeInstallFailure(outcome, L"", Widen).find(c.words));
    }
}

// The seal of the fake package's x64 folder as it is now, as scripts/seal.sh makes it.
static PackageSeal SealOf(const FakeInstallSystem& fake)
{
    PackageSeal seal{SealState::Sealed, "4.0.0.0", {}, ""};
    for (const char* name : {"QRX58.DLL", "VELM58KD.GPD", "uniDRVui.DLL", "uniDRV.DLL", "UNIDRV.HLP", "UNIRES.DLL",
                             "TTFSUB.GPD", "STDNAMES.GPD"}) {
        const std::string path = std::string("Printer Driver\\x64\\") + name, bytes = fake.Content(path);
        Sha256 hash;
        hash.Add(bytes.data(), bytes.size());
        seal.files.push_back({path, bytes.size(), hash.Finish()});
    }
    return seal;
}

// A file that is not the release's is refused by name before any change, and the files held
// for the check are let go; the release's own install, each held from before any change to the end.
TEST(Installation, ASealedProgramUsesOnlyTheReleasesFilesHoldingThemFromTheirCheckToTheEnd)
{
    const std::string plugin = "Printer Driver\\x64\\QRX58.DLL";
    const struct { const char* name; std::function<void(FakeInstallSystem&)> arrange; SealProblem problem;
                   std::string subject; } cases[] = {
        {"one byte changed", [&](FakeInstallSystem& f) { (f.disk[Upper(plugin)] = f.Content(plugin))[3] ^= 0x20; },
         SealProblem::ContentDiffers, plugin},
        {"one byte added", [&](FakeInstallSystem& f) { f.disk[Upper(plugin)] = f.Content(plugin) + "!"; },
         SealProblem::SizeDiffers, plugin},
        {"a file the seal does not hold", [](FakeInstallSystem& f) { f.seal->files.erase(f.seal->files.begin() + 6); },
         SealProblem::NotInSeal, "Printer Driver\\x64\\TTFSUB.GPD"},
        {"a damaged seal", [](FakeInstallSystem& f) { *f.seal = PackageSeal{SealState::Damaged, "", {}, "truncated"}; },
         SealProblem::SealDamaged, "truncated"},
        {"the release's own", [](FakeInstallSystem&) {}, SealProblem(), ""},
    };
    for (const auto& c : cases) {
        FakeInstallSystem fake;
        fake.seal = SealOf(fake);
        c.arrange(fake);
        const InstallOutcome outcome = Install(fake, DefaultChoices());
        EXPECT_EQ(c.subject, outcome.subject) << c.name;
        if (c.subject.empty()) {  // each file held from before the first change to the end
            const auto firstChange = std::find(fake.log.begin(), fake.log.end(), "GetDriverDirectory Windows x64 255");
            EXPECT_EQ(8, std::count_if(fake.log.begin(), firstChange,
                                       [](const std::string& line) { return line.rfind("Hold ", 0) == 0; }));
            EXPECT_TRUE(outcome.succeeded && fake.log.back() == "Release 8") << fake.log.back();
            continue;
        }
        EXPECT_EQ(InstallStep::CheckSeal, outcome.failedStep) << c.name;
        EXPECT_EQ(c.problem, outcome.sealProblem) << c.name;
        EXPECT_TRUE(fake.Changes().empty() && fake.held.empty()) << c.name << ": a change, or a file left held";
    }
}

// A file swapped after its check (which holding prevents on Windows) is copied as it is: the
// read-back compares with the seal, not with the package.
INSTANTIATE_TEST_SUITE_P(ASealedProgram, InstallationReadBack, testing::Values(ReadBackCase{
    "the plug-in swapped after the seal's check", [](FakeInstallSystem& f) {
        f.seal = SealOf(f);
        f.onCall = [&f](const std::string& line) {
            if (line.rfind("GetDriverDirectory", 0) == 0) f.disk[Upper("Printer Driver\\x64\\QRX58.DLL")] = "planted"; };
    }, InstalledFileProblem::SizeDiffers, kVersionDir + "\\QRX58.DLL", 0}));

// An installed file whose bytes differ from the package's (docs/windows-rules.md D3 to D7): held
// open, the spooler could not replace it; not held, the fake spooler replaced it or kept it (D1).
// What Windows kept is named in the completion; an older copy fails naming both versions and
// dates; a version that cannot be read (not one of the "no version" errors) fails with its error.
TEST(Installation, ADifferingInstalledFileIsKeptOrFailsAsWindowsRulesDecide)
{
    const uint64_t early = kMarch2012, late = kJune2021, leapDay = 133537247400000000ULL;
    const WindowsVersion w10{10, 0, 19041}, xp{5, 1, 2600}, w2000{5, 0, 2195};
    auto v = [](uint32_t versionLS, uint64_t date) { return DriverFileFacts{true, 3, versionLS, date}; };
    auto none = [](uint64_t date, uint32_t error = 0) { return DriverFileFacts{false, 0, 0, date, error}; };
    const uint32_t v2599 = 0x0A27FFFF, v2600 = 0x0A280000, v19041 = 0x4A610001;
    const std::wstring kept = L"uniDRV.DLL: Windows kept its ", older = L"The installed file is dated earlier";
    // says: the completion's line of the kept file (none: Windows replaced it), or what the failure says.
    const struct { WindowsVersion os; DriverFileFacts installed, package; bool held, ok; std::wstring says; uint32_t error; } rows[] = {
        {w10, v(v19041, early), v(v2600, late), false, true, kept + L"newer version 0.3.19041.1; the package has 0.3.2600.0"},
        {w10, v(0x01000000, late), v(v2600, early), false, true, L""},
        {w10, v(v2599, late), v(v2600, early), true, false, L"Installed: version 0.3.2599.65535, dated 2021-06-05; the "
         L"package's: version 0.3.2600.0, dated 2012-03-01. The installed version is lower"},
        {xp, v(v2600, early), v(v2600, late), true, true,
         kept + L"copy of the same version 0.3.2600.0, dated 2012-03-01; the package's is dated 2021-06-05"},
        {{}, none(late, 1813), v(v2600, early), true, true, kept + L"copy dated 2021-06-05; the package's is dated 2012-03-01"},
        {w10, v(v19041, early), none(late, 193), true, false,
         L"Installed: version 0.3.19041.1, dated 2012-03-01; the package's: no version, dated 2021-06-05. " + older},
        {w10, none(leapDay), none(leapDay - 36000000000ULL), true, true,
         kept + L"copy dated 2024-02-29 23:59 UTC; the package's is dated 2024-02-29 22:59 UTC"},
        {w10, none(early), none(early), true, true, kept + L"copy dated 2012-03-01; the package's is dated 2012-03-01"},
        {w2000, v(v19041, early), v(v2600, late), true, false, older},
        {w2000, v(v2599, late), v(v2600, early), true, true, kept + L"copy dated 2021-06-05; the package's is dated 2012-03-01"},
        {w10, none(late, 32), v(v2600, early), true, false, L"cannot be read", 32}};
    for (const auto& row : rows) {
        FakeInstallSystem fake;
        const std::string installed = kVersionDir + "\\uniDRV.DLL";
        fake.windows = row.os;
        fake.disk[Upper(installed)] = "another copy";
        if (row.held)
            fake.staleInstalled["uniDRV.DLL"] = "another copy";
        fake.SetFacts(installed, row.installed);
        fake.SetFacts("Printer Driver\\x64\\uniDRV.DLL", row.package);
        const InstallOutcome outcome = Install(fake, DefaultChoices());
        EXPECT_EQ(row.ok, outcome.succeeded) << &row - rows;
        EXPECT_EQ(row.ok, !fake.printers.empty()) << &row - rows;
        EXPECT_EQ(row.error, outcome.errorCode) << &row - rows;
        if (row.ok)
            EXPECT_EQ(row.says.empty() ? L"Completed!" : L"Completed!\n\n" + row.says, CompletionText(outcome.keptFiles));
        else
            EXPECT_NE(std::wstring::npos, ComposeInstallFailure(outcome, L"", Widen).find(row.says)) << &row - rows;
    }
    EXPECT_EQ(std::vector<int>({-1, 1, 1}),
              (std::vector<int>{PickRegisteredEntry({}, 3), PickRegisteredEntry({2, 3}, 3), PickRegisteredEntry({2, 3}, 4)}));
}

// What the record names must be in the driver directory: refused by name before AddDriver, as
// Windows' spooler (the fake's) would refuse it with error 2; a sealed program leaves out the
// KAPLINX files its seal does not hold.
TEST(Installation, ARecordsMissingFileIsRefusedBeforeRegisteringAndUnsealedKaplinxFilesAreLeftOut)
{
    FakeInstallSystem fake;
    fake.onCall = [&fake](const std::string& line) {
        if (line.rfind("Copy Printer Driver\\x64\\STDNAMES", 0) == 0) fake.disk.erase(Upper(kDir + "\\UNIRES.DLL"));
    };
    InstallOutcome outcome = Install(fake, DefaultChoices());
    EXPECT_EQ("unires.DLL in " + kDir + ", error 2, 0 drivers", outcome.subject + " in " + outcome.target + ", error " +
              std::to_string(outcome.errorCode) + ", " + std::to_string(fake.drivers.size()) + " drivers");
    EXPECT_EQ(InstallStep::CheckDriverFiles, outcome.failedStep);
    EXPECT_EQ(kErrorFileNotFound, FakeInstallSystem().AddDriver(DriverRecord{3, "D", "E", "uniDRV.DLL"}, true));

    FakeInstallSystem sealed;
    sealed.packageHasKaplinx = true;
    sealed.seal = SealOf(sealed);
    outcome = Install(sealed, DefaultChoices());
    ASSERT_TRUE(outcome.succeeded && outcome.leftOutFiles.size() == 2 && outcome.leftOutFiles[1].notSealed);
    EXPECT_EQ(4u, Names(sealed.drivers[0].dependentFiles).size());
}

// The first spooler call fails as it does on Windows while the Spooler service is not running.
class InstallationSpoolerService : public testing::TestWithParam<ServiceCase> {};

TEST_P(InstallationSpoolerService, AFailedCallAsksTheServiceStartsItOnlyWhereItMayAndRepeatsTheCallOnce)
{
    const ServiceCase& row = GetParam();
    FakeInstallSystem fake;
    fake.failOn = "GetDriverDirectory";
    fake.failError = kErrorRpcServerUnavailable;
    FakeSpoolerService service;
    service.state = row.state;
    service.queryError = row.queryError;
    service.startError = row.startError;
    service.onStarted = [&fake] { fake.failOn.clear(); };
    int asked = 0;
    SpoolerServiceGuard guard(&service, [&] { return ++asked, row.yes; });
    ServiceCheckedDriverSpooler spooler(fake, guard);
    InstallSystem system{spooler, fake, fake, fake};
    InstallOutcome outcome = RunInstallation(DefaultChoices(), system);
    outcome.spoolerService = guard.Check();

    EXPECT_EQ(row.finding, outcome.spoolerService.finding);
    EXPECT_EQ(row.works ? 2 : 1, service.queries) << "one look per run, and one after the start";
    EXPECT_EQ(row.asked ? 1 : 0, asked);
    EXPECT_EQ(row.asked && row.yes ? 1 : 0, service.starts) << "a disabled service is never started";
    EXPECT_EQ(row.works, outcome.succeeded);
    const auto directoryCalls = std::count_if(fake.log.begin(), fake.log.end(), [](const std::string& line) {
        return line.rfind("GetDriverDirectory", 0) == 0;
    });
    EXPECT_EQ(row.works ? 2 : 1, directoryCalls);
    if (row.works)
        return;
    EXPECT_TRUE(fake.Changes().empty());
    EXPECT_EQ(InstallStep::DriverDirectory, outcome.failedStep);
    EXPECT_EQ(kErrorRpcServerUnavailable, outcome.errorCode);
    auto widen = [](const std::string& text) { return std::wstring(text.begin(), text.end()); };
    const std::wstring own = ComposeInstallFailure(outcome, L"<text of 1722>", widen);
    const std::wstring shown = LeadWithSpoolerService(
        outcome.spoolerService, L"<text of " + std::to_wstring(outcome.spoolerService.errorCode) + L">", own);
    if (row.says == nullptr) {
        EXPECT_EQ(own, shown);
    } else {
        EXPECT_EQ(0u, shown.find(row.says)) << std::string(shown.begin(), shown.end());
        EXPECT_NE(std::wstring::npos, shown.find(own));
    }
}

INSTANTIATE_TEST_SUITE_P(EveryState, InstallationSpoolerService, testing::ValuesIn(kServiceCases), ServiceCaseName);

TEST(InstallationSpoolerService, AWorkingSpoolerNeverCostsALookAtTheServiceAndALaterStepIsRepeatedToo)
{
    FakeSpoolerService service;
    SpoolerServiceGuard guard(&service, [] { return true; });
    FakeInstallSystem fake;
    ServiceCheckedDriverSpooler spooler(fake, guard);
    InstallSystem system{spooler, fake, fake, fake};
    EXPECT_TRUE(RunInstallation(DefaultChoices(), system).succeeded);
    // The spooler's own answers: a refused driver, an existing printer.
    FakeInstallSystem refusing;
    refusing.failOn = "AddDriver";
    refusing.failError = kErrorPrinterDriverBlocked;
    ServiceCheckedDriverSpooler refused(refusing, guard);
    InstallSystem refusedSystem{refused, refusing, refusing, refusing};
    EXPECT_EQ(InstallStep::RegisterDriver, RunInstallation(DefaultChoices(), refusedSystem).failedStep);
    EXPECT_EQ(0, service.queries);

    // The spooler stops half-way: its start repeats the printer, not the copies before it.
    FakeInstallSystem stopping;
    stopping.failOn = "CreatePrinter";
    stopping.failError = kErrorRpcServerUnavailable;
    service.onStarted = [&stopping] { stopping.failOn.clear(); };
    ServiceCheckedDriverSpooler restarted(stopping, guard);
    InstallSystem restartedSystem{restarted, stopping, stopping, stopping};
    EXPECT_TRUE(RunInstallation(DefaultChoices(), restartedSystem).succeeded);
    EXPECT_EQ(1, service.starts);
    EXPECT_EQ(2u, stopping.printers.size());
    EXPECT_EQ(1u, stopping.drivers.size());
}

// A printer handle dies with the spooler process that gave it: after a restart a call that takes
// one is made again whole (open, call, close), and the caller's dead handle only closed. An
// AddPrinter repeated after a restart that finds the printer already there (1802) takes it as
// the one its first call added only where it is ours on the chosen port; else it is moved.
TEST(InstallationSpoolerService, ACallThatTakesAPrinterHandleIsMadeAgainWholeAfterARestart)
{
    const std::string create = "CreatePrinter VELM58KD on LPT1:", open = "OpenExistingPrinter VELM58KD",
                      rebind = "Rebind VELM58KD to LPT1:", binding = "GetPrinterBinding VELM58KD";
    // foundPort: where the first AddPrinter's printer stands after the restart ("": it added none).
    const struct { std::string failOn, foundPort; bool existed, addedBefore; std::vector<std::string> calls; } rows[] = {
        {"Rebind", "", true, false, {create, open, rebind, open, rebind, "ClosePrinter", "ClosePrinter (dead handle)"}},
        {"CreatePrinter", "LPT1:", false, true, {create, create, open, binding, "ClosePrinter"}},
        {"CreatePrinter", "COM1:", true, false, {create, create, open, binding, "ClosePrinter", open, rebind, "ClosePrinter"}}};
    for (const auto& row : rows) {
        FakeInstallSystem fake;
        if (row.failOn == "Rebind")
            fake.existingPrinters = {"VELM58KD"};
        fake.failOn = row.failOn;
        fake.failError = kErrorRpcServerUnavailable;
        FakeSpoolerService service;
        service.onStarted = [&] {
            fake.failOn.clear();
            if (!row.foundPort.empty()) {  // the first call added it; its answer was lost with the spooler
                PrinterRecord added = fake.printers[0];
                added.portName = row.foundPort;
                fake.existingPrinters.insert(added.printerName);
                fake.bindings[added.printerName] = added;
            }
            fake.RestartSpooler();
        };
        SpoolerServiceGuard guard(&service, [] { return true; });
        ServiceCheckedDriverSpooler spooler(fake, guard);
        InstallSystem system{spooler, fake, fake, fake};
        const InstallOutcome outcome = RunInstallation(DefaultChoices(), system);

        ASSERT_TRUE(outcome.succeeded) << row.foundPort << outcome.errorCode;
        EXPECT_EQ(row.existed, outcome.printerExisted) << row.foundPort;
        EXPECT_EQ(row.addedBefore, guard.Check().printerAddedBeforeRestart) << row.foundPort;
        std::vector<std::string> calls;
        for (const std::string& line : fake.log)
            for (const char* call : {"CreatePrinter", "OpenExistingPrinter", "Rebind", "GetPrinterBinding", "ClosePrinter"})
                if (line.rfind(call, 0) == 0)
                    calls.push_back(line);
        EXPECT_EQ(row.calls, calls) << row.foundPort;
        EXPECT_EQ("LPT1:", fake.bindings["VELM58KD"].portName);
        EXPECT_EQ(0, fake.openHandles);
    }
}
