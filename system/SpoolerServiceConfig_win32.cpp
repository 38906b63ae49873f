#include "system/SpoolerServiceConfig_win32.h"

#include <windows.h>

#include "system/Win32Calls_win32.h"

uint32_t ReadSpoolerServiceConfig(bool& running, uint32_t& startType)
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr)
        return LastErrorOfFailedCall();
    uint32_t error = 0;
    SC_HANDLE service = OpenServiceA(manager, "Spooler", SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG);
    if (service == nullptr) {
        error = LastErrorOfFailedCall();
    } else {
        SERVICE_STATUS status = {};
        // 8 KB: QUERY_SERVICE_CONFIG's documented maximum ("QueryServiceConfig function").
        union {
            QUERY_SERVICE_CONFIGA config;
            BYTE bytes[8192];
        } buffer;
        DWORD needed = 0;
        if (!QueryServiceStatus(service, &status) ||
            !QueryServiceConfigA(service, &buffer.config, sizeof(buffer), &needed)) {
            error = LastErrorOfFailedCall();
        } else {
            running = status.dwCurrentState == SERVICE_RUNNING;
            startType = buffer.config.dwStartType;
        }
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return error;
}
