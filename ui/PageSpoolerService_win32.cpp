#include "ui/PageSpoolerService_win32.h"

#include "ui/SpoolerServicePrompt.h"

const wchar_t kSpoolerBeingStartedLine[] = L"The Print Spooler service is being started. Please wait...";

namespace {

// Dispatches what arrives for `milliseconds` (or until `until` is signalled), as the dialog
// manager would, so that the page paints and answers. A WM_QUIT is put back for the loop that
// owns it, and ends the pumping: false.
bool PumpMessagesFor(DWORD milliseconds, HANDLE until = nullptr)
{
    const DWORD began = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return false;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        const DWORD elapsed = GetTickCount() - began;
        if (elapsed >= milliseconds)
            return true;
        const DWORD woke = MsgWaitForMultipleObjects(until != nullptr ? 1 : 0, &until, FALSE, milliseconds - elapsed,
                                                     QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0 && until != nullptr)
            return true;
        if (woke == WAIT_FAILED)
            Sleep(10);  // no wait to be had: still never a page that stops answering for long
    }
}

struct StartCall {
    SpoolerService* service;
    uint32_t error;
};

DWORD WINAPI StartOnWorker(void* parameter)
{
    auto* call = static_cast<StartCall*>(parameter);
    call->error = call->service->Start();
    return 0;
}

}  // namespace

PageSpoolerService::PageSpoolerService(CDialog& page, SpoolerService& service, const RECT& line)
    : m_page(page), m_service(service), m_lineArea(line)
{
}

PageSpoolerService::~PageSpoolerService()
{
    if (m_line != nullptr)
        DestroyWindow(m_line);
    for (HWND control : m_disabled)
        EnableWindow(control, TRUE);
    m_page.SetBusy(false);
}

void PageSpoolerService::ShowBusy()
{
    if (m_busy)
        return;
    m_busy = true;
    HWND page = m_page.GetSafeHwnd();
    m_page.SetBusy(true);
    for (HWND child = GetWindow(page, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongA(child, GWL_STYLE) & WS_DISABLED) == 0) {
            EnableWindow(child, FALSE);
            m_disabled.push_back(child);
        }
    }
    RECT area = m_lineArea;
    if (!MapDialogRect(page, &area))
        return;  // the page goes on without its line
    m_line = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFT, area.left, area.top,
                             area.right - area.left, area.bottom - area.top, page, nullptr,
                             CDialog::ResourceInstance(), nullptr);
    if (m_line == nullptr)
        return;
    SendMessageA(m_line, WM_SETFONT, static_cast<WPARAM>(SendMessageA(page, WM_GETFONT, 0, 0)), FALSE);
    SendMessageW(m_line, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kSpoolerBeingStartedLine));
}

uint32_t PageSpoolerService::Start()
{
    ShowBusy();
    StartCall call{&m_service, 0};
    HANDLE worker = CreateThread(nullptr, 0, &StartOnWorker, &call, 0, nullptr);
    if (worker == nullptr)
        return m_service.Start();  // no thread to be had: the start as it always was
    while (WaitForSingleObject(worker, 0) == WAIT_TIMEOUT)
        if (!PumpMessagesFor(INFINITE, worker))
            WaitForSingleObject(worker, INFINITE);
    CloseHandle(worker);
    return call.error;
}

void PageSpoolerService::Wait(uint32_t milliseconds)
{
    ShowBusy();
    PumpMessagesFor(milliseconds);
}

PageSpoolerGuard::PageSpoolerGuard(CDialog& page, const RECT& line)
    : m_service(page, m_scm, line), m_guard(&m_service, [&page] { return AskStartSpooler(page.GetSafeHwnd()); })
{
}
