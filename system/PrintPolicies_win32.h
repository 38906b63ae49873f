// The print policies as the running Windows has them: the registry under HKEY_LOCAL_MACHINE,
// the kernel's version report and, on Windows 11 24H2 and later, the WinRT API.
#pragma once
#include "system/PrintPolicies.h"

class Win32PrintPolicySource : public PrintPolicySource {
public:
    RegistryDword MachineValue(const char* keyPath, const char* valueName) override;
    int32_t MachineKeyValueCount(const char* keyPath) override;
    WindowsVersion Version() override;
    ProtectedPrintApiAnswer ProtectedPrintApi() override;
};
