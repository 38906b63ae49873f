// The Spooler service as the Service Control Manager reports it, and the service states every
// caller of the spooler meets: one table, run through the installation, the port list and /quiet.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "system/SpoolerService.h"

// The SCM and its clock, by the rules of docs/windows-rules.md, "The Print Spooler service": every
// wait moves the clock on, never the test's time.
class FakeSpoolerService : public SpoolerService {
public:
    uint32_t queryError = 0;  // the SCM cannot be asked
    SpoolerServiceState state;
    uint32_t startError = 0;        // what StartService answers instead of starting
    int alreadyRunningAnswers = 0;  // StartService answers 1056 this often first (a stop not yet done)
    SpoolerServiceState afterStart{kServiceRunning};
    // What the service reports after each wait, in turn. With none left, a pending service moves
    // its check point at the next `keepsMoving` looks, then finishes (runs, or stops).
    std::vector<SpoolerServiceState> then;
    int keepsMoving = 0;
    std::function<void()> onStarted;  // the spooler answers from here on
    int queries = 0, starts = 0;
    uint32_t now = 0;
    std::vector<uint32_t> waits;

    uint32_t Query(SpoolerServiceState& answer) override
    {
        ++queries;
        if (queryError != 0)
            return queryError;
        answer = state;
        return 0;
    }
    uint32_t Start() override
    {
        ++starts;
        if (startError != 0)
            return startError;
        if (alreadyRunningAnswers-- > 0 || state.current != kServiceStopped)
            return kErrorServiceAlreadyRunning;  // S1: 1056 for any service not stopped
        Become(afterStart);
        return 0;
    }
    uint32_t Milliseconds() override { return now; }
    void Wait(uint32_t milliseconds) override
    {
        waits.push_back(milliseconds);
        now += milliseconds;
        if (!then.empty()) {
            Become(then.front());
            then.erase(then.begin());
        } else if (keepsMoving > 0) {  // S3, S4: progress is a check point that moves
            --keepsMoving;
            ++state.checkPoint;
        } else if (state.current == kServiceStartPending || state.current == kServiceStopPending) {
            Become(SpoolerServiceState{state.current == kServiceStartPending ? kServiceRunning : kServiceStopped});
        }
    }

private:
    void Become(const SpoolerServiceState& next)
    {
        state = next;
        if (state.current == kServiceRunning && onStarted)
            onStarted();
    }
};

struct ServiceCase {
    const char* name;
    SpoolerServiceState state;
    uint32_t queryError;
    uint32_t startError;
    bool yes;  // the answer to "start it now?"
    SpoolerFinding finding;
    bool asked;
    bool works;  // the failed call, repeated, succeeds
    const wchar_t* says;  // in the message (null: the call's own error only)
};

constexpr uint32_t kServiceLogonFailed = 1069;  // ERROR_SERVICE_LOGON_FAILED

inline const ServiceCase kServiceCases[] = {
    {"Running", {kServiceRunning}, 0, 0, true, SpoolerFinding::Running, false, false, nullptr},
    {"StoppedAndStarts", {kServiceStopped}, 0, 0, true, SpoolerFinding::Started, true, true, nullptr},
    {"Starting", {kServiceStartPending, 1, 3000}, 0, 0, true, SpoolerFinding::WasStarting, false, true, nullptr},
    {"StoppedAndDeclined", {kServiceStopped}, 0, 0, false, SpoolerFinding::Declined, true, false,
     L"The Print Spooler service is stopped. Printers cannot be installed or removed until it runs"},
    {"StoppedAndWillNotStart", {kServiceStopped}, 0, kServiceLogonFailed, true, SpoolerFinding::StartFailed, true, false,
     L"The Print Spooler service is stopped and could not be started: <text of 1069> (error 1069)."},
    {"Disabled", {kServiceStopped, 0, 0, 0, true}, 0, 0, true, SpoolerFinding::Disabled, false, false,
     L"The Print Spooler service is disabled. Printers cannot be installed or removed until it is set to Automatic "
     L"and started: open Services (services.msc)"},
    {"ScmUnreachable", {kServiceStopped}, 5, 0, true, SpoolerFinding::Unreachable, false, false, nullptr},
};

inline std::string ServiceCaseName(const testing::TestParamInfo<ServiceCase>& info)
{
    return info.param.name;
}
