// The print spooler's side of the port operations: enumerating the local ports and the
// port monitors, and handing a monitor or a port to the spooler, which shows the monitor's
// own dialog. Also the system debug output, where every listed port and monitor is written.
#pragma once
#include <cstdint>
#include <string>

#include "system/Win32ErrorCodes.h"

// A port record: the fields of PORT_INFO_2A, texts in the system code page, packed as the
// spooler packs its records (the records first, the texts they point to after them). The
// adapter builds these from EnumPortsW, so that it can tell which names the code page holds.
struct PortInfo2Record {
    char* pPortName;
    char* pMonitorName;
    char* pDescription;
    uint32_t fPortType;
    uint32_t Reserved;
    // Null when pPortName is the port's name exactly. Otherwise the name has characters the
    // system code page cannot hold, pPortName is its lossy form ("C:\??\??.prn", a port that
    // does not exist), and this is the true name in UTF-8, to be shown, never passed on.
    char* pUnicodeName;
};

// Record with the layout of MONITOR_INFO_1A, as EnumMonitorsA writes it.
struct MonitorInfo1Record {
    char* pName;
};

// kErrorInsufficientBuffer (Win32ErrorCodes.h): the buffer cannot hold the records; the needed
// size is stored.

struct SpoolerResult {
    bool succeeded = false;
    uint32_t errorCode = 0;  // the Win32 error when the call failed
};

// The service guard's view of a port call's result (SpoolerService.h): 0 when it succeeded.
inline uint32_t ErrorOf(const SpoolerResult& result)
{
    return result.succeeded ? 0 : result.errorCode;
}

// A window that owns the monitor's dialogs; opaque to the window-free code.
using OwnerWindow = void*;

class IPortSpooler {
public:
    virtual ~IPortSpooler() = default;
    // The ports (PortInfo2Record) and EnumMonitorsA on the local machine: `level` 2 for ports,
    // 1 for monitors.
    // `buffer` may be null with `size` 0. On return `needed` holds the byte count the records
    // and their texts take, `returned` the number of records written into the buffer.
    virtual SpoolerResult EnumeratePorts(uint32_t level, uint8_t* buffer, uint32_t size, uint32_t& needed,
                                    uint32_t& returned) = 0;
    virtual SpoolerResult EnumerateMonitors(uint32_t level, uint8_t* buffer, uint32_t size, uint32_t& needed,
                                       uint32_t& returned) = 0;
    // AddPortA: the monitor shows its new-port dialog, owned by `owner`, and creates the port.
    virtual SpoolerResult AddNewPort(OwnerWindow owner, const std::string& monitorName) = 0;
    // ConfigurePortA: the port's monitor shows its configuration dialog, owned by `owner`.
    virtual SpoolerResult ConfigureExistingPort(OwnerWindow owner, const std::string& portName) = 0;
};

class IDebugOutput {
public:
    virtual ~IDebugOutput() = default;
    // One text, as it is to appear (line feed included).
    virtual void Write(const std::string& text) = 0;
};
