#include "system/SpoolerService_win32.h"

#include <windows.h>

#include <vector>

#include "system/Win32Calls_win32.h"

namespace {

const char kSpoolerServiceName[] = "Spooler";
constexpr DWORD kPollMs = 250;
constexpr DWORD kMaxConfigBytes = 8192;  // QUERY_SERVICE_CONFIG's documented maximum

// The Spooler service opened with `access`, closed with the scope; Error() is 0 or the error of
// the call that failed.
class OpenedSpooler {
public:
    explicit OpenedSpooler(DWORD access)
    {
        m_manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
        if (m_manager == nullptr) {
            m_error = LastErrorOfFailedCall();
            return;
        }
        m_service = OpenServiceA(m_manager, kSpoolerServiceName, access);
        if (m_service == nullptr)
            m_error = LastErrorOfFailedCall();
    }
    ~OpenedSpooler()
    {
        if (m_service != nullptr)
            CloseServiceHandle(m_service);
        if (m_manager != nullptr)
            CloseServiceHandle(m_manager);
    }
    OpenedSpooler(const OpenedSpooler&) = delete;
    OpenedSpooler& operator=(const OpenedSpooler&) = delete;
    SC_HANDLE Service() const { return m_service; }
    uint32_t Error() const { return m_error; }

private:
    SC_HANDLE m_manager = nullptr;
    SC_HANDLE m_service = nullptr;
    uint32_t m_error = 0;
};

}  // namespace

uint32_t Win32SpoolerService::Query(SpoolerServiceState& state)
{
    OpenedSpooler spooler(SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG);
    if (spooler.Error() != 0)
        return spooler.Error();
    SERVICE_STATUS status = {};
    if (!QueryServiceStatus(spooler.Service(), &status))
        return LastErrorOfFailedCall();
    DWORD needed = 0;
    if (!QueryServiceConfigA(spooler.Service(), nullptr, 0, &needed) &&
        (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0 || needed > kMaxConfigBytes))
        return LastErrorOfFailedCall();
    std::vector<BYTE> buffer(needed);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
    if (!QueryServiceConfigA(spooler.Service(), config, needed, &needed))
        return LastErrorOfFailedCall();
    state.running = status.dwCurrentState == SERVICE_RUNNING;
    state.disabled = config->dwStartType == SERVICE_DISABLED;
    return 0;
}

uint32_t Win32SpoolerService::StartAndWait(uint32_t timeoutMs)
{
    OpenedSpooler spooler(SERVICE_START | SERVICE_QUERY_STATUS);
    if (spooler.Error() != 0)
        return spooler.Error();
    // One that is starting already (Windows' recovery restarting it) is waited for the same.
    if (!StartServiceA(spooler.Service(), 0, nullptr) && GetLastError() != ERROR_SERVICE_ALREADY_RUNNING)
        return LastErrorOfFailedCall();
    const DWORD start = GetTickCount();
    for (;;) {
        SERVICE_STATUS status = {};
        if (!QueryServiceStatus(spooler.Service(), &status))
            return LastErrorOfFailedCall();
        if (status.dwCurrentState == SERVICE_RUNNING)
            return 0;
        // It gave up: its own exit code says why (ERROR_SERVICE_SPECIFIC_ERROR for a code of its own).
        if (status.dwCurrentState == SERVICE_STOPPED)
            return status.dwWin32ExitCode != 0 ? status.dwWin32ExitCode : ERROR_SERVICE_NOT_ACTIVE;
        if (GetTickCount() - start >= timeoutMs)
            return ERROR_SERVICE_REQUEST_TIMEOUT;
        Sleep(kPollMs);
    }
}
