#include "app/SingleInstance_win32.h"

#include "system/TextConversion_win32.h"
#include "win/Messages_win32.h"

namespace {

// In the global namespace, so that a copy in another session (fast user switching, remote
// desktop) counts too: the spooler and the driver directory are the machine's.
const wchar_t kGlobalName[] = L"Global\\TOLV.PrinterSetup.Installation";
const wchar_t kSessionName[] = L"Local\\TOLV.PrinterSetup.Installation";

}  // namespace

SingleInstance::~SingleInstance()
{
    if (m_mutex)
        CloseHandle(m_mutex);
}

bool SingleInstance::Acquire()
{
    // Only the object's existence matters, not its ownership: it lives exactly as long as a
    // copy of the program holds a handle to it.
    m_mutex = CreateMutexW(nullptr, FALSE, kGlobalName);
    DWORD error = GetLastError();
    if (!m_mutex && error == ERROR_ACCESS_DENIED) {
        // The global object exists but another user's copy made it: it is running.
        return false;
    }
    if (!m_mutex) {
        // No global namespace to create in (no SeCreateGlobalPrivilege): this session's.
        m_mutex = CreateMutexW(nullptr, FALSE, kSessionName);
        error = GetLastError();
    }
    if (m_mutex && error == ERROR_ALREADY_EXISTS) {
        CloseHandle(m_mutex);
        m_mutex = nullptr;
        return false;
    }
    // Could not create either: better to run than to refuse for no reason.
    return true;
}

void ShowAlreadyRunning()
{
    ShowMessage(FromUtf8("打印机驱动安装程序已经在运行。\n请先完成或退出正在运行的安装程序，再重新启动。"));
}
