// The Spooler service as the Service Control Manager reports it, and the service states every
// caller of the spooler meets: one table, run through the installation, the port list and /quiet.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "system/SpoolerService.h"

class FakeSpoolerService : public SpoolerService {
public:
    uint32_t queryError = 0;  // the SCM cannot be asked
    SpoolerServiceState state;
    uint32_t startError = 0;  // what the start answers instead of running
    std::function<void()> onStarted;  // the spooler answers from here on
    int queries = 0, starts = 0;

    uint32_t Query(SpoolerServiceState& answer) override
    {
        ++queries;
        if (queryError != 0)
            return queryError;
        answer = state;
        return 0;
    }
    uint32_t StartAndWait(uint32_t timeoutMs) override
    {
        ++starts;
        if (startError != 0 || timeoutMs == 0)
            return startError != 0 ? startError : kErrorServiceRequestTimeout;
        state.running = true;
        if (onStarted)
            onStarted();
        return 0;
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
    {"Running", {true, false}, 0, 0, true, SpoolerFinding::Running, false, false, nullptr},
    {"StoppedAndStarts", {false, false}, 0, 0, true, SpoolerFinding::Started, true, true, nullptr},
    {"StoppedAndDeclined", {false, false}, 0, 0, false, SpoolerFinding::Declined, true, false,
     L"The Print Spooler service is stopped. Printers cannot be installed or removed until it runs"},
    {"StoppedAndWillNotStart", {false, false}, 0, kServiceLogonFailed, true, SpoolerFinding::StartFailed, true, false,
     L"The Print Spooler service is stopped and could not be started: <text of 1069> (error 1069)."},
    {"Disabled", {false, true}, 0, 0, true, SpoolerFinding::Disabled, false, false,
     L"The Print Spooler service is disabled. Printers cannot be installed or removed until it is set to Automatic "
     L"and started: open Services (services.msc)"},
    {"ScmUnreachable", {false, false}, 5, 0, true, SpoolerFinding::Unreachable, false, false, nullptr},
};

inline std::string ServiceCaseName(const testing::TestParamInfo<ServiceCase>& info)
{
    return info.param.name;
}
