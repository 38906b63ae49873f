// The print policies of the running Windows that decide whether our driver may be installed,
// and whether Windows keeps the default printer that the installation sets. Read through a
// small interface (PrintPolicies_win32.cpp reads the registry and the WinRT API), decided here
// without a window.
#pragma once
#include <cstdint>

#include "system/RegistryDword.h"

// The version of the running Windows as its kernel reports it (RtlGetVersion): without a
// supported-OS manifest entry GetVersionEx says 6.2 on every Windows from 8 on.
struct WindowsVersion {
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;
};

// Windows 11 24H2: the first build with Windows protected print mode and its WinRT API.
constexpr uint32_t kProtectedPrintFirstBuild = 26100;

enum class ProtectedPrintApiAnswer { NotAsked, Unavailable, Off, On };

// Where the machine's policies come from: the registry and the WinRT API on Windows, a table
// in the tests.
class PrintPolicySource {
public:
    virtual ~PrintPolicySource() = default;
    // A value under HKEY_LOCAL_MACHINE (the 64-bit view on 64-bit Windows).
    virtual RegistryDword MachineValue(const char* keyPath, const char* valueName) = 0;
    // How many values the key under HKEY_LOCAL_MACHINE holds; -1 when there is no such key.
    virtual int32_t MachineKeyValueCount(const char* keyPath) = 0;
    virtual WindowsVersion Version() = 0;
    // WindowsProtectedPrintInfo.IsProtectedPrintEnabled; Unavailable when it cannot be reached.
    virtual ProtectedPrintApiAnswer ProtectedPrintApi() = 0;
};

extern const char kProtectedPrintKeyPath[];   // SOFTWARE\Policies\Microsoft\Windows NT\Printers\WPP
extern const char kProtectedPrintRegistryDword[];  // WindowsProtectedPrintGroupPolicyState
extern const char kProtectedPrintModeValue[];    // WindowsProtectedPrintMode
extern const char kDriverPolicyKeyPath[];     // SOFTWARE\Policies\Microsoft\Windows NT\Printers\Driver
extern const char kValidationLevelValue[];    // ValidationLevel
extern const char kExclusionListName[];       // ExclusionList

// What turns Windows protected print mode on, in the order it is looked at.
enum class ProtectedPrint {
    Off,
    ByPolicy,   // WindowsProtectedPrintGroupPolicyState = 1: the group policy
    BySetting,  // WindowsProtectedPrintMode = 1: as third-party tools read the Settings switch
    ByApi,      // IsProtectedPrintEnabled answered true
};

// The policies that may make the spooler refuse a driver. Which error they cause is not
// documented, so they only explain a refusal, never cause one of ours.
struct DriverPolicies {
    RegistryDword validationLevel;      // Driver\ValidationLevel: 0 inbox only ... 4 (default) any valid signature
    int32_t exclusionListEntries = -1;  // Driver\ExclusionList as a key: its entries; -1 none
    RegistryDword exclusionListValue;   // Driver\ExclusionList as a value
    bool AnySet() const
    {
        return validationLevel.kind != RegistryDword::Kind::Absent || exclusionListEntries >= 0 ||
               exclusionListValue.kind != RegistryDword::Kind::Absent;
    }
};

struct PrintPolicies {
    ProtectedPrint protectedPrint = ProtectedPrint::Off;
    DriverPolicies driver;
    WindowsVersion version;
};

// The policy value is honoured on any Windows (only one that knows the policy has it); the
// API answer only from build 26100 on, where the API exists.
ProtectedPrint DecideProtectedPrint(const RegistryDword& policyState, const RegistryDword& mode, uint32_t build,
                                    ProtectedPrintApiAnswer api);

// Windows 10 and later manage the default printer themselves unless LegacyDefaultPrinterMode is 1.
bool WindowsManagesDefaultPrinter(const WindowsVersion& version);

// Reads every policy; the API is asked only where it exists and nothing else has decided.
PrintPolicies ReadPrintPolicies(PrintPolicySource& source);

// Win32 side (PrintPolicies_win32.cpp): the running system's policies.
PrintPolicies CurrentPrintPolicies();
