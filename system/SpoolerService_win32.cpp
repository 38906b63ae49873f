#include "system/SpoolerService_win32.h"

#include <windows.h>

#include <vector>

#include "system/Win32Calls_win32.h"

namespace {

const char kSpoolerServiceName[] = "Spooler";
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
    state.current = status.dwCurrentState;
    state.checkPoint = status.dwCheckPoint;
    state.waitHintMs = status.dwWaitHint;
    state.exitCode = status.dwWin32ExitCode;
    state.disabled = config->dwStartType == SERVICE_DISABLED;
    return 0;
}

uint32_t Win32SpoolerService::Start()
{
    OpenedSpooler spooler(SERVICE_START);
    if (spooler.Error() != 0)
        return spooler.Error();
    return StartServiceA(spooler.Service(), 0, nullptr) ? 0 : LastErrorOfFailedCall();
}

uint32_t Win32SpoolerService::Milliseconds()
{
    return GetTickCount();
}

void Win32SpoolerService::Wait(uint32_t milliseconds)
{
    Sleep(milliseconds);
}
