#include "system/HostArchitecture_win32.h"

#include "system/HostArchitecture.h"
#include "system/OsClassification.h"
#include "system/SystemLibrary_win32.h"

IsWow64Process2Function g_isWow64Process2ForTests = nullptr;

namespace {

// Looked up at run time: Windows 2000 has neither function, XP SP2 to Windows 10 1703 only
// IsWow64Process.
using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE process, PBOOL wow64);

}  // namespace

HostArchitecture CurrentHostArchitecture()
{
    HostReport report;
#ifdef _WIN64
    report.program64Bit = true;
#endif
    IsWow64Process2Function isWow64Process2 = g_isWow64Process2ForTests;
    if (!isWow64Process2)
        isWow64Process2 = KernelFunctionAs<IsWow64Process2Function>("IsWow64Process2");
    if (isWow64Process2) {
        report.hasIsWow64Process2 = true;
        USHORT processMachine = kMachineUnknown, nativeMachine = kMachineUnknown;
        report.isWow64Process2Succeeded = isWow64Process2(GetCurrentProcess(), &processMachine, &nativeMachine) != FALSE;
        report.processMachine = processMachine;
        report.nativeMachine = nativeMachine;
    }
    auto isWow64Process = KernelFunctionAs<IsWow64ProcessFunction>("IsWow64Process");
    if (isWow64Process) {
        report.hasIsWow64Process = true;
        BOOL flag = FALSE;  // its return value is not looked at: only the flag decides
        isWow64Process(GetCurrentProcess(), &flag);
        report.isWow64Flag = flag;
    }
    return DecideHostArchitecture(report);
}

bool IsWow64Host()
{
    return CurrentHostArchitecture() != HostArchitecture::X86;
}
