#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "RegistryDwordValues.h"
#include "system/HostArchitecture.h"
#include "system/OsClassification.h"
#include "system/PrintPolicies.h"

namespace {

struct Report {
    uint32_t platform, major, minor;
};

int32_t Classify(Report r, int32_t previous)
{
    OsVersionReport report;
    report.platformId = r.platform;
    report.major = r.major;
    report.minor = r.minor;
    return ClassifyVersionReport(report, previous);
}

// Every report the table names, with the code it yields.
TEST(ClassifyVersionReport, KnownReportsGiveTheirCodes)
{
    struct Case {
        Report report;
        int32_t code;
    } cases[] = {
        {{1, 4, 0}, 1},  {{1, 4, 10}, 2}, {{1, 4, 90}, 2}, {{2, 3, 51}, 3}, {{2, 4, 0}, 3},
        {{2, 0, 0}, 3},  {{2, 5, 0}, 4},  {{2, 5, 1}, 5},  {{2, 5, 2}, 6},  {{2, 6, 0}, 7},
        {{2, 6, 1}, 8},  {{2, 6, 2}, 9},  {{0, 3, 10}, 4}, {{3, 10, 0}, 4}, {{7, 6, 1}, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.report.platform << "." << c.report.major << "." << c.report.minor);
        EXPECT_EQ(c.code, Classify(c.report, 0));
        EXPECT_EQ(c.code, Classify(c.report, 7)) << "a known report must not depend on the previous code";
    }
}

// Reports the table does not know keep whatever code was there before.
TEST(ClassifyVersionReport, UnknownReportsKeepThePreviousCode)
{
    const Report unknown[] = {
        {1, 4, 20}, {1, 4, 1}, {1, 3, 0}, {1, 5, 0}, {1, 4, 91},  // 9x family, other versions
        {2, 5, 3},  {2, 6, 3}, {2, 6, 4}, {2, 7, 0}, {2, 10, 0},  // NT family, other versions
    };
    for (const Report& r : unknown) {
        SCOPED_TRACE(testing::Message() << r.platform << "." << r.major << "." << r.minor);
        for (int32_t previous : {0, 3, 9, -5}) {
            EXPECT_EQ(previous, Classify(r, previous));
        }
    }
}

class ScriptedVersionSource : public IVersionSource {
public:
    ScriptedVersionSource(bool acceptExtended, bool acceptPlain, OsVersionReport report)
        : m_acceptExtended(acceptExtended), m_acceptPlain(acceptPlain), m_report(report)
    {
    }
    bool Query(uint32_t recordSize, OsVersionReport& report) override
    {
        sizes.push_back(recordSize);
        bool accept = recordSize == kVersionInfoExSize ? m_acceptExtended : m_acceptPlain;
        if (accept)
            report = m_report;
        return accept;
    }
    std::vector<uint32_t> sizes;

private:
    bool m_acceptExtended, m_acceptPlain;
    OsVersionReport m_report;
};

OsVersionReport MakeReport(uint32_t platform, uint32_t major, uint32_t minor)
{
    OsVersionReport report;
    report.platformId = platform;
    report.major = major;
    report.minor = minor;
    return report;
}

TEST(ClassifyOsFrom, AsksWithTheExtendedRecordFirst)
{
    g_nOsKind = 0;
    ScriptedVersionSource source(true, true, MakeReport(2, 6, 1));
    ClassifyOsFrom(source);
    EXPECT_EQ(8, g_nOsKind);
    EXPECT_EQ(std::vector<uint32_t>({156u}), source.sizes);
}

TEST(ClassifyOsFrom, FallsBackToThePlainRecordWhenTheExtendedOneIsRefused)
{
    g_nOsKind = 0;
    ScriptedVersionSource source(false, true, MakeReport(2, 4, 0));
    ClassifyOsFrom(source);
    EXPECT_EQ(3, g_nOsKind);
    EXPECT_EQ(std::vector<uint32_t>({156u, 148u}), source.sizes);
}

TEST(ClassifyOsFrom, KeepsTheCodeWhenBothQueriesFailOrTheReportIsUnknown)
{
    g_nOsKind = 6;
    ScriptedVersionSource refusing(false, false, MakeReport(2, 6, 1));
    ClassifyOsFrom(refusing);
    EXPECT_EQ(6, g_nOsKind);

    ScriptedVersionSource windows81(true, true, MakeReport(2, 6, 3));
    ClassifyOsFrom(windows81);
    EXPECT_EQ(6, g_nOsKind);
    g_nOsKind = 0;
    ClassifyOsFrom(windows81);
    EXPECT_EQ(0, g_nOsKind);
}

TEST(IsNtFamily, CoversCodesThreeToNine)
{
    for (int32_t code = -1; code <= 10; ++code)
        EXPECT_EQ(code >= 3 && code <= 9, IsNtFamily(code)) << code;
}

// What each system answers, for both builds: IsWow64Process2's two machines where it exists
// (Windows 10 1709 and later), else IsWow64Process's flag (XP SP2 and later), else nothing.
struct HostCase {
    const char* system;
    bool program64Bit;
    bool hasIsWow64Process2, succeeded;
    uint16_t processMachine, nativeMachine;
    bool hasIsWow64Process;
    int32_t flag;
    HostArchitecture expected;
};

TEST(DecideHostArchitecture, EveryReportGivesTheNativeSystemsArchitecture)
{
    using H = HostArchitecture;
    const uint16_t kUnknown = kMachineUnknown, kI386 = kMachineI386, kAmd64 = kMachineAmd64, kArm64 = kMachineArm64;
    const uint16_t kIa64 = 0x0200, kArmNt = 0x01C4;
    const HostCase cases[] = {
        // The 32-bit release program.
        {"32-bit Windows 10", false, true, true, kUnknown, kI386, true, 0, H::X86},
        {"x64 Windows 10", false, true, true, kI386, kAmd64, true, 1, H::X64},
        {"ARM64 Windows, where IsWow64Process says TRUE too", false, true, true, kI386, kArm64, true, 1, H::Arm64},
        {"a native machine without a driver folder", false, true, true, kI386, kIa64, true, 1, H::X64},
        {"... and on a 32-bit ARM system", false, true, true, kI386, kArmNt, true, 0, H::X86},
        {"IsWow64Process2 fails", false, true, false, kUnknown, kArm64, true, 1, H::X64},
        {"x64 Windows 7", false, false, false, 0, 0, true, 1, H::X64},
        {"32-bit Windows XP SP3", false, false, false, 0, 0, true, 0, H::X86},
        {"a flag that is not exactly TRUE", false, false, false, 0, 0, true, 2, H::X86},
        {"Windows 2000", false, false, false, 0, 0, false, 1, H::X86},
        // The 64-bit test build.
        {"x64 Windows 10 (Wine 8 answers so)", true, true, true, kUnknown, kAmd64, true, 0, H::X64},
        {"x64 program emulated on ARM64 Windows 11", true, true, true, kUnknown, kArm64, true, 0, H::Arm64},
        {"a 64-bit program told of a 32-bit system", true, true, true, kUnknown, kI386, true, 0, H::X64},
        {"IsWow64Process2 fails", true, true, false, kUnknown, kArm64, true, 0, H::X64},
        {"x64 Windows XP", true, false, false, 0, 0, true, 0, H::X64},
        {"no function at all", true, false, false, 0, 0, false, 0, H::X64},
    };
    for (const HostCase& c : cases) {
        HostReport report;
        report.program64Bit = c.program64Bit;
        report.hasIsWow64Process2 = c.hasIsWow64Process2;
        report.isWow64Process2Succeeded = c.succeeded;
        report.processMachine = c.processMachine;
        report.nativeMachine = c.nativeMachine;
        report.hasIsWow64Process = c.hasIsWow64Process;
        report.isWow64Flag = c.flag;
        EXPECT_EQ(c.expected, DecideHostArchitecture(report))
            << c.system << (c.program64Bit ? " (64-bit build)" : " (32-bit build)");
    }
}

// The machine (docs/windows-rules.md P1 to P3, P5): its values by "key\name" (no key counts its
// values), its build as RtlGetVersion gives it, and the protected-print API's answer.
struct FakePolicySource : PrintPolicySource {
    std::map<std::string, RegistryDword> values;
    uint32_t build = 26100;
    ProtectedPrintApiAnswer api = ProtectedPrintApiAnswer::On;
    int apiCalls = 0;
    RegistryDword MachineValue(const char* key, const char* name) override { return values[std::string(key) + '\\' + name]; }
    int32_t MachineKeyValueCount(const char*) override { return -1; }
    WindowsVersion Version() override { return {10, 0, build}; }
    ProtectedPrintApiAnswer ProtectedPrintApi() override { ++apiCalls; return api; }
};

}  // namespace

TEST(PrintPolicies, ProtectedPrintModeFromThePolicyTheSettingAndFromBuild26100TheApi)
{
    using Api = ProtectedPrintApiAnswer;
    const std::string policies = "SOFTWARE\\Policies\\Microsoft\\Windows NT\\Printers\\";
    // policy, setting: WPP\WindowsProtectedPrintGroupPolicyState, WPP\WindowsProtectedPrintMode
    struct Case { const char* name; RegistryDword policy, setting; uint32_t build; Api api; ProtectedPrint expected;
                  int apiCalls; };
    const RegistryDword absent;
    for (const Case& c : {
             Case{"nothing set, build 26099", absent, absent, 26099, Api::On, ProtectedPrint::Off, 0},
             Case{"policy 1 on Windows 10", Dword(1), absent, 19045, Api::On, ProtectedPrint::ByPolicy, 0},
             Case{"setting 1", absent, Dword(1), 26100, Api::On, ProtectedPrint::BySetting, 0},
             Case{"API on at 26100, policy 0", Dword(0), absent, 26100, Api::On, ProtectedPrint::ByApi, 1},
             Case{"API unavailable at 26100", absent, absent, 26100, Api::Unavailable, ProtectedPrint::Off, 1},
             Case{"policy 2 before 26100", Dword(2), absent, 22631, Api::On, ProtectedPrint::Off, 0},
             Case{"policy 1 as REG_SZ", OtherType(1), absent, 22631, Api::On, ProtectedPrint::Off, 0},
             Case{"setting 1 as REG_BINARY, API off", absent, OtherType(3), 26200, Api::Off, ProtectedPrint::Off, 1},
         }) {
        FakePolicySource source;
        source.values[policies + "WPP\\WindowsProtectedPrintGroupPolicyState"] = c.policy;
        source.values[policies + "WPP\\WindowsProtectedPrintMode"] = c.setting;
        source.values[policies + "Driver\\ValidationLevel"] = Dword(0);
        source.build = c.build;
        source.api = c.api;
        const PrintPolicies read = ReadPrintPolicies(source);
        EXPECT_EQ(c.expected, read.protectedPrint) << c.name;
        EXPECT_EQ(c.apiCalls, source.apiCalls) << c.name;
        EXPECT_TRUE(read.driver.validationLevel.IsDword(0)) << c.name;
    }
}
