// Which Windows the program runs on, as far as the printer driver is concerned: the spooler
// loads only drivers built for the system's native architecture, whatever the architecture
// of the program that installs them.
#pragma once
#include <cstdint>

enum class HostArchitecture {
    X86,    // "Windows NT x86"
    X64,    // "Windows x64"
    Arm64,  // "Windows ARM64"
};

// IMAGE_FILE_MACHINE_* values, as IsWow64Process2 reports them.
constexpr uint16_t kMachineUnknown = 0x0000;
constexpr uint16_t kMachineI386 = 0x014C;
constexpr uint16_t kMachineAmd64 = 0x8664;
constexpr uint16_t kMachineArm64 = 0xAA64;

// What the running system answered; read by the Win32 side (HostArchitecture_win32.cpp).
struct HostReport {
    bool program64Bit = false;  // this build is a 64-bit program
    // IsWow64Process2 (Windows 10 1709 and later): present, succeeded, and its two machines.
    bool hasIsWow64Process2 = false;
    bool isWow64Process2Succeeded = false;
    uint16_t processMachine = kMachineUnknown;  // the WOW64 guest; unknown when not under WOW64
    uint16_t nativeMachine = kMachineUnknown;
    // IsWow64Process (XP SP2 and later): present, and the flag it left (a BOOL).
    bool hasIsWow64Process = false;
    int32_t isWow64Flag = 0;
};

// The native machine of IsWow64Process2 decides when it names one we know. Otherwise, as on
// systems before Windows 10 1709: a 64-bit program runs on x64, a 32-bit one on x64 only when
// IsWow64Process says exactly TRUE. (An x64 program emulated on ARM64 is not under WOW64: it
// gets process machine unknown and native ARM64, and must choose ARM64 too.)
HostArchitecture DecideHostArchitecture(const HostReport& report);

// Win32 side (HostArchitecture_win32.cpp): the running system's answer, afresh at each call.
HostArchitecture CurrentHostArchitecture();
