#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "FakeInstallSystem.h"
#include "system/DesktopAccount.h"
#include "install/Installation.h"
#include "install/RegistrySettings.h"

namespace {

const std::string kDevice = "HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\Device";
const std::string kPorts = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";

InstallChoices ComChoices(int portComboIndex)
{
    InstallChoices choices;
    choices.host = HostArchitecture::X64;
    choices.port = "LPT1:";
    choices.portComboIndex = portComboIndex;
    return choices;
}

InstallOutcome Install(FakeInstallSystem& fake, const InstallChoices& choices)
{
    InstallSystem system = fake.System();
    return RunInstallation(choices, system);
}

bool Touched(const FakeInstallSystem& fake, const std::string& keyPrefix)
{
    for (const std::string& line : fake.log)
        if (line.find(keyPrefix) != std::string::npos)
            return true;
    return false;
}

}  // namespace

TEST(RegistrySettings, TheDefaultPrinterValueCarriesItsTerminatingZero)
{
    FakeInstallSystem fake;
    ASSERT_TRUE(Install(fake, ComChoices(0)).succeeded);
    // 23 characters and the zero: the size passed is 24.
    EXPECT_EQ(std::string("VELM58KD,winspool,LPT1:\0", 24), fake.values.at(kDevice));
    EXPECT_EQ(1u, fake.values.size());
}

TEST(RegistrySettings, AMissingWindowsKeyIsCreated)
{
    FakeInstallSystem fake;
    ASSERT_EQ(0u, fake.existingKeys.count("HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows"));
    ASSERT_TRUE(Install(fake, ComChoices(0)).succeeded);
    EXPECT_EQ(1u, fake.existingKeys.count("HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows"));
    EXPECT_EQ(1u, fake.values.count(kDevice));
    EXPECT_EQ(0, fake.registryMessages);
}

TEST(RegistrySettings, AClearedCheckBoxLeavesTheUserKeyAlone)
{
    FakeInstallSystem fake;
    InstallChoices choices = ComChoices(0);
    choices.setDefaultPrinter = false;
    ASSERT_TRUE(Install(fake, choices).succeeded);
    EXPECT_FALSE(Touched(fake, "HKCU"));
}

TEST(RegistrySettings, LptSelectionsLeaveThePortsKeyAlone)
{
    for (int index : {0, 1, 2, -1}) {
        FakeInstallSystem fake;
        InstallChoices choices = ComChoices(index);
        choices.baudIndex = 8;
        ASSERT_TRUE(Install(fake, choices).succeeded) << index;
        EXPECT_FALSE(Touched(fake, "HKLM")) << index;
    }
}

TEST(RegistrySettings, TheDefaultSerialSettingsOfCom1)
{
    FakeInstallSystem fake;
    ASSERT_TRUE(Install(fake, ComChoices(3)).succeeded);
    EXPECT_EQ(std::string("19200,N,8,1,p\0", 14), fake.values.at(kPorts + "\\COM1:"));
    // After progress 90 and before 95.
    auto at = [&](const std::string& line) { return std::find(fake.log.begin(), fake.log.end(), line) - fake.log.begin(); };
    EXPECT_LT(at("Progress 90"), at("OpenKey " + kPorts));
    EXPECT_LT(at("CloseKey " + kPorts), at("Progress 95"));
}

TEST(RegistrySettings, OtherSelectionsGiveTheirTableTexts)
{
    struct Case {
        int port, baud, dataBits, stopBits, parity, flow;
        std::string valueName, data;
    };
    for (const Case& c : {Case{6, 8, 0, 2, 4, 1, "COM4:", "115200,S,5,2,x"},
                          Case{4, 0, 1, 1, 0, 0, "COM2:", "300,E,6,1.5, "},
                          Case{5, 4, 2, 0, 3, 2, "COM3:", "9600,O,7,1,p"},
                          Case{3, 1, 3, 1, 1, 0, "COM1:", "1200,M,8,1.5, "}}) {
        FakeInstallSystem fake;
        InstallChoices choices = ComChoices(c.port);
        choices.baudIndex = c.baud;
        choices.dataBitsIndex = c.dataBits;
        choices.stopBitsIndex = c.stopBits;
        choices.parityIndex = c.parity;
        choices.flowIndex = c.flow;
        ASSERT_TRUE(Install(fake, choices).succeeded);
        EXPECT_EQ(c.data + '\0', fake.values.at(kPorts + "\\" + c.valueName)) << c.valueName;
    }
}

TEST(RegistrySettings, FlowControlNoneEndsWithACommaAndOneBlank)
{
    InstallChoices choices = ComChoices(3);
    choices.flowIndex = 0;
    std::string data;
    ASSERT_TRUE(SerialSettingData(choices, data));
    EXPECT_EQ("19200,N,8,1, ", data);
}

TEST(RegistrySettings, AnEmptyPortStillFormatsTheDefaultPrinter)
{
    EXPECT_EQ("VELM58KD,winspool,", DefaultPrinterData("VELM58KD", ""));
}

TEST(RegistrySettings, APortsKeyThatCannotBeOpenedIsSkippedQuietly)
{
    FakeInstallSystem fake;
    fake.failOn = "OpenKey " + kPorts;
    InstallOutcome outcome = Install(fake, ComChoices(3));
    EXPECT_TRUE(outcome.succeeded);
    EXPECT_FALSE(outcome.registryWriteFailed);
    EXPECT_EQ(0, fake.registryMessages);
    EXPECT_EQ(0u, fake.values.count(kPorts + "\\COM1:"));

    FakeInstallSystem noKey;
    noKey.existingKeys.clear();
    ASSERT_TRUE(Install(noKey, ComChoices(3)).succeeded);
    EXPECT_FALSE(Touched(noKey, "CreateKey " + kPorts));
    EXPECT_EQ(0, noKey.registryMessages);
}

TEST(RegistrySettings, ARefusedSerialWriteShowsTheMessageAndClosesTheKey)
{
    FakeInstallSystem fake;
    fake.failOn = "SetValue " + kPorts;
    InstallOutcome outcome = Install(fake, ComChoices(3));
    EXPECT_TRUE(outcome.succeeded);
    EXPECT_TRUE(outcome.registryWriteFailed);
    EXPECT_EQ(1, fake.registryMessages);
    EXPECT_EQ(0, fake.openKeys);
    EXPECT_EQ(std::vector<int>({10, 20, 30, 40, 50, 60, 70, 80, 90, 95, 100}), fake.progress);
}

TEST(RegistrySettings, ASerialIndexOutsideItsTableWritesNothing)
{
    FakeInstallSystem fake;
    InstallChoices choices = ComChoices(3);
    choices.stopBitsIndex = -1;  // no selection
    InstallOutcome outcome = Install(fake, choices);
    EXPECT_TRUE(outcome.succeeded);
    EXPECT_TRUE(outcome.registryWriteFailed);
    EXPECT_EQ(1, fake.registryMessages);
    EXPECT_FALSE(Touched(fake, "HKLM"));

    std::string name;
    EXPECT_FALSE(SerialPortValueName(7, name));
    EXPECT_TRUE(SerialPortValueName(6, name));
    EXPECT_EQ("COM4:", name);
}

namespace {

class FakeAccounts : public AccountQuery {
public:
    const char* process;  // null: cannot be read
    const char* shell;    // null: no desktop shell
    FakeAccounts(const char* processSid, const char* shellSid) : process(processSid), shell(shellSid) {}
    bool ProcessAccount(std::string& sid) override { return Answer(process, sid); }
    bool DesktopShellAccount(std::string& sid) override { return Answer(shell, sid); }

private:
    static bool Answer(const char* value, std::string& sid)
    {
        if (value == nullptr)
            return false;
        sid = value;
        return true;
    }
};

struct AccountCase {
    const char* why;
    const char* process;
    const char* shell;
    DefaultPrinterHive hive;
    const char* sid;
};

}  // namespace

TEST(DefaultPrinterTarget, ThePersonAtTheDesktopGetsTheDefaultPrinter)
{
    const char* user = "S-1-5-21-1004336348-1177238915-682003330-1001";
    const char* admin = "S-1-5-21-1004336348-1177238915-682003330-500";
    const AccountCase cases[] = {
        {"the user installs as themself", user, user, DefaultPrinterHive::CurrentUser, ""},
        {"SIDs compare without case", user, "s-1-5-21-1004336348-1177238915-682003330-1001",
         DefaultPrinterHive::CurrentUser, ""},
        {"over-the-shoulder elevation", admin, user, DefaultPrinterHive::DesktopUser, user},
        {"SYSTEM with a user logged on", "S-1-5-18", user, DefaultPrinterHive::DesktopUser, user},
        {"SYSTEM with no one logged on", "S-1-5-18", nullptr, DefaultPrinterHive::NobodyLoggedOn, ""},
        {"NetworkService with no one logged on", "S-1-5-20", nullptr, DefaultPrinterHive::NobodyLoggedOn, ""},
        {"a person without Explorer keeps their HKCU", admin, nullptr, DefaultPrinterHive::CurrentUser, ""},
        {"our own account unreadable: HKCU", nullptr, user, DefaultPrinterHive::CurrentUser, ""},
    };
    for (const AccountCase& c : cases) {
        SCOPED_TRACE(c.why);
        FakeAccounts accounts(c.process, c.shell);
        const DefaultPrinterTarget target = ChooseDefaultPrinterTarget(accounts);
        EXPECT_EQ(c.hive, target.hive);
        EXPECT_EQ(c.sid, target.sid);
    }
}

TEST(RegistrySettings, TheDesktopUsersDefaultPrinterGoesIntoTheirLoadedHive)
{
    const std::string sid = "S-1-5-21-1-2-3-1001";
    const std::string key = "HKU\\" + sid + "\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
    InstallChoices choices = ComChoices(0);
    choices.defaultPrinterUser = sid;

    FakeInstallSystem loaded;
    loaded.existingKeys.insert("HKU\\" + sid);
    ASSERT_TRUE(Install(loaded, choices).succeeded);
    EXPECT_EQ(std::string("VELM58KD,winspool,LPT1:\0", 24), loaded.values.at(key + "\\Device"));
    EXPECT_FALSE(Touched(loaded, "HKCU\\")) << "the administrator's own default stays";
    const auto announced = std::find(loaded.log.begin(), loaded.log.end(), "Announce windows");
    ASSERT_NE(loaded.log.end(), announced);
    EXPECT_LT(std::find(loaded.log.begin(), loaded.log.end(), "SetValue " + key + "\\Device"), announced);
    EXPECT_EQ(0, loaded.openKeys);

    // A hive that is not loaded is not made up under HKEY_USERS.
    FakeInstallSystem unloaded;
    InstallOutcome outcome = Install(unloaded, choices);
    EXPECT_TRUE(outcome.registryWriteFailed);
    EXPECT_EQ(1, unloaded.registryMessages);
    EXPECT_FALSE(Touched(unloaded, "CreateKey HKU"));
    EXPECT_EQ(0u, std::count(unloaded.log.begin(), unloaded.log.end(), "Announce windows"));
}

TEST(RegistrySettings, ARefusedDefaultPrinterWriteIsNotAnnounced)
{
    FakeInstallSystem fake;
    fake.failOn = "SetValue HKCU";
    ASSERT_TRUE(Install(fake, ComChoices(0)).registryWriteFailed);
    EXPECT_EQ(0u, std::count(fake.log.begin(), fake.log.end(), "Announce windows"));
}

TEST(RegistrySettings, LegacyDefaultPrinterModeIsSetOnWindows10AndRememberedForTheRemoval)
{
    const WindowsVersion win81{6, 3, 9600}, win10{10, 0, 19045};
    const std::string sid = "S-1-5-21-9-9-9-1001";
    // before: LegacyDefaultPrinterMode as it is; user: the hive's (none: HKCU); record: what the removal will find
    struct Case { const char* name; WindowsVersion version; bool setDefault; RegistryDword before;
                  std::string user, failOn, record; DefaultPrinterMode result; };
    for (const Case& c : {
             Case{"8.1", win81, true, Dword(0), "", "", "", DefaultPrinterMode::Untouched},
             Case{"no default printer", win10, false, Dword(0), "", "", "", DefaultPrinterMode::Untouched},
             Case{"absent", win10, true, RegistryDword(), "", "", "absent", DefaultPrinterMode::SetToUserManaged},
             Case{"0, another user", win10, true, Dword(0), sid, "", "0", DefaultPrinterMode::SetToUserManaged},
             Case{"1 already", win10, true, Dword(1), sid, "", "", DefaultPrinterMode::AlreadyUserManaged},
             Case{"a string", win10, true, OtherType(1), "", "", "", DefaultPrinterMode::NotADword},
             Case{"the record refused: the mode is not set either", win10, true, Dword(0), "",
                  "SetValue HKCU\\Software\\PrinterSetup", "", DefaultPrinterMode::Untouched},
         }) {
        FakeInstallSystem fake;
        const std::string hive = c.user.empty() ? "HKCU\\" : "HKU\\" + c.user + "\\";
        const std::string mode = hive + kWindowsKeyPath + "\\LegacyDefaultPrinterMode";
        fake.existingKeys.insert("HKU\\" + sid);
        fake.dwords[mode] = c.before;
        fake.failOn = c.failOn;
        InstallChoices choices = ComChoices(0);
        choices.setDefaultPrinter = c.setDefault;
        choices.defaultPrinterUser = c.user;
        InstallSystem system = fake.System();
        system.policies.version = c.version;
        const InstallOutcome outcome = RunInstallation(choices, system);
        EXPECT_TRUE(outcome.succeeded) << c.name;
        EXPECT_EQ(c.failOn.empty() ? 0 : 1, fake.registryMessages) << c.name;
        EXPECT_EQ(c.result, outcome.defaultPrinterMode) << c.name;
        EXPECT_EQ(c.result == DefaultPrinterMode::SetToUserManaged || c.before.IsDword(1), fake.dwords[mode].IsDword(1))
            << c.name;
        EXPECT_EQ(c.record, fake.values[hive + "Software\\PrinterSetup\\LegacyDefaultPrinterModeBefore"].c_str())
            << c.name;
    }
}
