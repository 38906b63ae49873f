#include "system/PrintPolicies.h"

#include <string>

const char kProtectedPrintKeyPath[] = "SOFTWARE\\Policies\\Microsoft\\Windows NT\\Printers\\WPP";
const char kProtectedPrintRegistryDword[] = "WindowsProtectedPrintGroupPolicyState";
const char kProtectedPrintModeValue[] = "WindowsProtectedPrintMode";
const char kDriverPolicyKeyPath[] = "SOFTWARE\\Policies\\Microsoft\\Windows NT\\Printers\\Driver";
const char kValidationLevelValue[] = "ValidationLevel";
const char kExclusionListName[] = "ExclusionList";

// docs/windows-rules.md P1 (the API, from build 26100) and P2 (the two registry values).
ProtectedPrint DecideProtectedPrint(const RegistryDword& policyState, const RegistryDword& mode, uint32_t build,
                                    ProtectedPrintApiAnswer api)
{
    if (policyState.IsDword(1))
        return ProtectedPrint::ByPolicy;
    if (mode.IsDword(1))
        return ProtectedPrint::BySetting;
    if (build >= kProtectedPrintFirstBuild && api == ProtectedPrintApiAnswer::On)
        return ProtectedPrint::ByApi;
    return ProtectedPrint::Off;
}

bool WindowsManagesDefaultPrinter(const WindowsVersion& version)
{
    return version.major >= 10;
}

PrintPolicies ReadPrintPolicies(PrintPolicySource& source)
{
    PrintPolicies policies;
    policies.version = source.Version();
    const RegistryDword policyState = source.MachineValue(kProtectedPrintKeyPath, kProtectedPrintRegistryDword);
    const RegistryDword mode = source.MachineValue(kProtectedPrintKeyPath, kProtectedPrintModeValue);
    policies.protectedPrint =
        DecideProtectedPrint(policyState, mode, policies.version.build, ProtectedPrintApiAnswer::NotAsked);
    // The WinRT call loads combase and starts the Windows Runtime: only where it can tell more.
    if (policies.protectedPrint == ProtectedPrint::Off && policies.version.build >= kProtectedPrintFirstBuild)
        policies.protectedPrint =
            DecideProtectedPrint(policyState, mode, policies.version.build, source.ProtectedPrintApi());
    policies.driver.validationLevel = source.MachineValue(kDriverPolicyKeyPath, kValidationLevelValue);
    // Whether the exclusion list is a key of entries or one value is not documented: both are read
    // (docs/windows-rules.md P3).
    const std::string listKey = std::string(kDriverPolicyKeyPath) + "\\" + kExclusionListName;
    policies.driver.exclusionListEntries = source.MachineKeyValueCount(listKey.c_str());
    policies.driver.exclusionListValue = source.MachineValue(kDriverPolicyKeyPath, kExclusionListName);
    return policies;
}
