#include <windows.h>
#include <winspool.h>

#include "ports/XcvPorts_win32.h"
#include "system/Win32Calls_win32.h"

static_assert(kErrorAlreadyExists == ERROR_ALREADY_EXISTS, "ERROR_ALREADY_EXISTS");
static_assert(kErrorUnknownPort == ERROR_UNKNOWN_PORT, "ERROR_UNKNOWN_PORT");

XcvAddPortResult Win32XcvPorts::AddPort(const std::string& monitorName, const std::vector<uint8_t>& input)
{
    XcvAddPortResult result;
    // Monitor names are ASCII ("Local Port", "Standard TCP/IP Port").
    std::wstring name = L",XcvMonitor " + std::wstring(monitorName.begin(), monitorName.end());
    // Adding a port is a server administration right, not a printer one.
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
    HANDLE xcv = nullptr;
    if (!OpenPrinterW(&name[0], &xcv, &defaults)) {
        result.error = LastErrorOfFailedCall();
        return result;
    }
    result.monitorOpened = true;
    DWORD needed = 0, status = ERROR_SUCCESS;
    std::vector<uint8_t> data = input;  // XcvData's input is not const
    if (!XcvDataW(xcv, L"AddPort", data.empty() ? nullptr : data.data(), static_cast<DWORD>(data.size()), nullptr, 0,
                  &needed, &status))
        result.error = LastErrorOfFailedCall();
    else
        result.error = status;  // the monitor's own answer: 0, or 183 for a port it has already
    ClosePrinter(xcv);
    return result;
}
