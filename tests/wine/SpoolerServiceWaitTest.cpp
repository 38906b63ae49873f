// The port page while the Print Spooler service starts: the real page and dialog manager, a
// stand-in service that takes seconds to start, and a second thread acting as the user.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "WineTestSupport.h"
#include "res/resource.h"
#include "ui/Globals.h"
#include "ui/PageSpoolerService_win32.h"
#include "ui/PortSelectDlg.h"

namespace {

// Starting since it was made, its check point moving every half second, running after 3 s.
class SlowlyStartingService : public SpoolerService {
public:
    uint32_t Query(SpoolerServiceState& state) override
    {
        const DWORD elapsed = GetTickCount() - m_began;
        state = elapsed >= 3000 ? SpoolerServiceState{kServiceRunning}
                                : SpoolerServiceState{kServiceStartPending, elapsed / 500 + 1, 2000};
        return 0;
    }
    uint32_t Start() override { return kErrorServiceAlreadyRunning; }
    uint32_t Milliseconds() override { return GetTickCount(); }
    void Wait(uint32_t) override { ADD_FAILURE() << "the page waits, not the service"; }

private:
    DWORD m_began = GetTickCount();
};

constexpr UINT kMeetStartingService = WM_APP + 30;

// The port page, meeting on kMeetStartingService a failed spooler call and a service that is
// starting, on its own thread as its installation would.
class PortPageMeetingAStart : public CPortSelectDlg {
public:
    SpoolerFinding finding = SpoolerFinding::NotAsked;
    volatile LONG done = 0;

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override
    {
        if (message != kMeetStartingService)
            return CPortSelectDlg::OnMessage(message, wParam, lParam, result);
        SlowlyStartingService service;
        PageSpoolerService page(*this, service, kServiceLineArea);
        SpoolerServiceGuard guard(&page, [] { ADD_FAILURE() << "a service that is starting is asked about"; return false; });
        guard.ShouldRepeat(kErrorRpcServerUnavailable);
        finding = guard.Check().finding;
        InterlockedExchange(&done, 1);
        result = 0;
        return true;
    }
};

}  // namespace

TEST(PortPageWhileTheSpoolerStarts, KeepsAnsweringSaysSoAndItsInstallCannotStartASecondInstallation)
{
    g_pPrinterDlg = nullptr;  // an "&Install" that ran would show its message box
    PortPageMeetingAStart page;
    bool answered = true, installDisabled = false, lineShown = false, boxShown = false;
    RunModalWithDriver(page, kPortCaption, [&](HWND hwnd) {
        HWND install = GetDlgItem(hwnd, IDC_PP_INSTALL);
        PostMessageA(hwnd, kMeetStartingService, 0, 0);
        lineShown = WaitUntil([&] { return AllStaticTextsW(hwnd).find(kSpoolerBeingStartedLine) != std::wstring::npos; });
        installDisabled = !IsWindowEnabled(install);
        PostMessageA(install, BM_CLICK, 0, 0);
        for (DWORD_PTR unused = 0; page.done == 0 && answered; Sleep(200))
            answered = SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &unused) != 0;
        if ((boxShown = GetWindow(hwnd, GW_ENABLEDPOPUP) != nullptr))
            PostMessageA(GetWindow(hwnd, GW_ENABLEDPOPUP), WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitUntil([&] { return page.done != 0; }));
        EXPECT_TRUE(IsWindowEnabled(install)) << "the page is as it was once the service runs";
        EXPECT_EQ(std::wstring::npos, AllStaticTextsW(hwnd).find(kSpoolerBeingStartedLine));
        ClickButton(hwnd, IDC_PP_CANCEL);
    });

    EXPECT_TRUE(lineShown);
    EXPECT_TRUE(answered) << "the page answered every message within a second while it waited";
    EXPECT_TRUE(installDisabled);
    EXPECT_FALSE(boxShown) << "\"&Install\" ran inside the wait";
    EXPECT_EQ(SpoolerFinding::WasStarting, page.finding);
}
