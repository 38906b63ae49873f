// The Print Spooler service as a page deals with it: the question is owned by the page, and
// while the service starts the page keeps answering (no "Not Responding"), its controls are
// disabled, so that no second installation can begin inside the first, and a line on the page
// says what it waits for.
#pragma once
#include <windows.h>

#include <vector>

#include "system/SpoolerService.h"
#include "system/SpoolerService_win32.h"
#include "win/Dialog.h"

// Another SpoolerService seen through a page: its StartService runs on a worker thread (it may
// take the SCM's 30 s to answer), and each wait pumps the page's thread's messages.
class PageSpoolerService : public SpoolerService {
public:
    // `line`: where the line goes, in the page's dialog units.
    PageSpoolerService(CDialog& page, SpoolerService& service, const RECT& line);
    ~PageSpoolerService() override;
    PageSpoolerService(const PageSpoolerService&) = delete;
    PageSpoolerService& operator=(const PageSpoolerService&) = delete;

    uint32_t Query(SpoolerServiceState& state) override { return m_service.Query(state); }
    uint32_t Start() override;
    uint32_t Milliseconds() override { return m_service.Milliseconds(); }
    void Wait(uint32_t milliseconds) override;

private:
    void ShowBusy();

    CDialog& m_page;
    SpoolerService& m_service;
    RECT m_lineArea;
    HWND m_line = nullptr;
    std::vector<HWND> m_disabled;
    bool m_busy = false;
};

// A page's guard over the real service.
class PageSpoolerGuard {
public:
    PageSpoolerGuard(CDialog& page, const RECT& line);
    SpoolerServiceGuard& Guard() { return m_guard; }
    const SpoolerServiceCheck& Check() const { return m_guard.Check(); }

private:
    Win32SpoolerService m_scm;
    PageSpoolerService m_service;
    SpoolerServiceGuard m_guard;
};

// "The Print Spooler service is being started...", the page's line while it waits.
extern const wchar_t kSpoolerBeingStartedLine[];
