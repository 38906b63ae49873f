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
        {"our own account unreadable: HKCU as before", nullptr, user, DefaultPrinterHive::CurrentUser, ""},
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
    const std::string windowsKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
    struct Case {
        const char* name;
        WindowsVersion version;
        bool setDefault;
        RegistryDword before;   // kind Absent: not there
        DefaultPrinterMode result;
        std::string record;     // what the removal will find; empty: none written
    };
    RegistryDword zero, one, two, text;
    zero.kind = one.kind = two.kind = RegistryDword::Kind::Dword;
    one.dword = 1;
    two.dword = 2;
    text.kind = RegistryDword::Kind::OtherType;
    text.type = 1;
    const WindowsVersion win7{6, 1, 7601}, win81{6, 3, 9600}, win10{10, 0, 19045}, win11{10, 0, 26100};
    for (const Case& c : {
             Case{"Windows 7", win7, true, zero, DefaultPrinterMode::Untouched, ""},
             Case{"Windows 8.1", win81, true, RegistryDword(), DefaultPrinterMode::Untouched, ""},
             Case{"Windows 10, no default printer", win10, false, zero, DefaultPrinterMode::Untouched, ""},
             Case{"Windows 10, absent", win10, true, RegistryDword(), DefaultPrinterMode::SetToUserManaged, "absent"},
             Case{"Windows 11, 0", win11, true, zero, DefaultPrinterMode::SetToUserManaged, "0"},
             Case{"Windows 11, 2", win11, true, two, DefaultPrinterMode::SetToUserManaged, "2"},
             Case{"Windows 11, 1 already", win11, true, one, DefaultPrinterMode::AlreadyUserManaged, ""},
             Case{"Windows 11, a string", win11, true, text, DefaultPrinterMode::NotADword, ""},
         }) {
        for (const std::string& sid : {std::string(), std::string("S-1-5-21-9-9-9-1001")}) {
            FakeInstallSystem fake;
            const std::string hive = sid.empty() ? "HKCU\\" : "HKU\\" + sid + "\\";
            if (!sid.empty())
                fake.existingKeys.insert("HKU\\" + sid);
            if (c.before.kind != RegistryDword::Kind::Absent)
                fake.dwords[hive + windowsKey + "\\LegacyDefaultPrinterMode"] = c.before;
            InstallChoices choices = ComChoices(0);
            choices.setDefaultPrinter = c.setDefault;
            choices.defaultPrinterUser = sid;
            InstallSystem system = fake.System();
            system.policies.version = c.version;
            InstallOutcome outcome = RunInstallation(choices, system);
            const std::string where = std::string(c.name) + " in " + hive;
            ASSERT_TRUE(outcome.succeeded) << where;
            EXPECT_FALSE(outcome.registryWriteFailed) << where;
            EXPECT_EQ(c.result, outcome.defaultPrinterMode) << where;
            const RegistryDword now = fake.dwords[hive + windowsKey + "\\LegacyDefaultPrinterMode"];
            if (c.result == DefaultPrinterMode::Untouched || c.result == DefaultPrinterMode::NotADword)
                EXPECT_EQ(c.before.kind, now.kind) << where;  // left as it was
            else
                EXPECT_TRUE(now.IsDword(1)) << where;
            const auto record = fake.values.find(hive + "Software\\PrinterSetup\\LegacyDefaultPrinterModeBefore");
            EXPECT_EQ(c.record, record != fake.values.end() ? record->second.c_str() : "") << where;
            EXPECT_EQ(c.record, outcome.legacyModeBefore) << where;
            EXPECT_EQ(0, fake.openKeys) << where;
        }
    }
}

TEST(RegistrySettings, ALegacyModeThatCannotBeWrittenShowsTheRegistryMessage)
{
    for (const std::string failOn :
         {std::string("SetValue HKCU\\Software\\PrinterSetup"),
          std::string("SetValue HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\LegacyDefaultPrinterMode"),
          std::string("ReadValue")}) {
        FakeInstallSystem fake;
        fake.failOn = failOn;
        InstallSystem system = fake.System();
        system.policies.version = WindowsVersion{10, 0, 22631};
        InstallOutcome outcome = RunInstallation(ComChoices(0), system);
        EXPECT_TRUE(outcome.succeeded) << failOn;
        EXPECT_TRUE(outcome.registryWriteFailed) << failOn;
        EXPECT_EQ(1, fake.registryMessages) << failOn;
        // The record is written first: a value changed without it could not be put back.
        if (failOn.find("PrinterSetup") != std::string::npos)
            EXPECT_FALSE(fake.dwords.count("HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\LegacyDefaultPrinterMode"));
        EXPECT_EQ(0, fake.openKeys) << failOn;
    }
}
