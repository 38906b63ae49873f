#include <windows.h>
#include <winspool.h>

#include <cstddef>

#include "install/PortSpooler_win32.h"

// The window-free code reads the spooler's records through its own declarations.
static_assert(sizeof(PortInfo2Record) == sizeof(PORT_INFO_2A), "PORT_INFO_2A layout");
static_assert(offsetof(PortInfo2Record, pPortName) == offsetof(PORT_INFO_2A, pPortName), "pPortName");
static_assert(offsetof(PortInfo2Record, pMonitorName) == offsetof(PORT_INFO_2A, pMonitorName), "pMonitorName");
static_assert(offsetof(PortInfo2Record, pDescription) == offsetof(PORT_INFO_2A, pDescription), "pDescription");
static_assert(offsetof(PortInfo2Record, fPortType) == offsetof(PORT_INFO_2A, fPortType), "fPortType");
static_assert(offsetof(PortInfo2Record, Reserved) == offsetof(PORT_INFO_2A, Reserved), "Reserved");
static_assert(sizeof(MonitorInfo1Record) == sizeof(MONITOR_INFO_1A), "MONITOR_INFO_1A layout");
static_assert(offsetof(MonitorInfo1Record, pName) == offsetof(MONITOR_INFO_1A, pName), "pName");
static_assert(kErrorInsufficientBuffer == ERROR_INSUFFICIENT_BUFFER, "ERROR_INSUFFICIENT_BUFFER");

namespace {

SpoolerResult Result(BOOL succeeded)
{
    if (succeeded)
        return {true, 0};
    return {false, GetLastError()};
}

}  // namespace

SpoolerResult Win32PortSpooler::EnumeratePorts(uint32_t level, uint8_t* buffer, uint32_t size, uint32_t& needed,
                                          uint32_t& returned)
{
    DWORD neededBytes = 0, count = 0;
    BOOL ok = EnumPortsA(nullptr, level, buffer, size, &neededBytes, &count);
    SpoolerResult result = Result(ok);
    needed = neededBytes;
    returned = count;
    return result;
}

SpoolerResult Win32PortSpooler::EnumerateMonitors(uint32_t level, uint8_t* buffer, uint32_t size, uint32_t& needed,
                                             uint32_t& returned)
{
    DWORD neededBytes = 0, count = 0;
    BOOL ok = EnumMonitorsA(nullptr, level, buffer, size, &neededBytes, &count);
    SpoolerResult result = Result(ok);
    needed = neededBytes;
    returned = count;
    return result;
}

SpoolerResult Win32PortSpooler::AddNewPort(OwnerWindow owner, const std::string& monitorName)
{
    // Returns once the monitor's dialog has closed; a cancelled dialog fails with ERROR_CANCELLED.
    return Result(AddPortA(nullptr, static_cast<HWND>(owner), const_cast<char*>(monitorName.c_str())));
}

SpoolerResult Win32PortSpooler::ConfigureExistingPort(OwnerWindow owner, const std::string& portName)
{
    return Result(ConfigurePortA(nullptr, static_cast<HWND>(owner), const_cast<char*>(portName.c_str())));
}

void Win32DebugOutput::Write(const std::string& text)
{
    OutputDebugStringA(text.c_str());
}
