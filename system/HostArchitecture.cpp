#include "system/HostArchitecture.h"

// docs/windows-rules.md U1: IsWow64Process2 names the native machine; IsWow64Process cannot tell
// ARM64 from x64.
HostArchitecture DecideHostArchitecture(const HostReport& report)
{
    if (report.hasIsWow64Process2 && report.isWow64Process2Succeeded) {
        switch (report.nativeMachine) {
        case kMachineArm64: return HostArchitecture::Arm64;
        case kMachineAmd64: return HostArchitecture::X64;
        case kMachineI386:
            // A 64-bit program cannot run on a 32-bit Windows: such a report is not believed.
            if (!report.program64Bit)
                return HostArchitecture::X86;
            break;
        default:
            break;  // a machine this program has no driver folder for: decided as without IsWow64Process2
        }
    }
    if (report.program64Bit)
        return HostArchitecture::X64;
    if (report.hasIsWow64Process && report.isWow64Flag == 1)
        return HostArchitecture::X64;
    return HostArchitecture::X86;
}
