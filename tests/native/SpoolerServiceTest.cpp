// The Print Spooler service through its states as the SCM reports them over time, against the
// fake's clock: no test sleeps. Each poll is a tenth of the wait hint, kept between 1 and 10 s.
#include <gtest/gtest.h>

#include <vector>

#include "FakeSpoolerService.h"

namespace {

using States = std::vector<SpoolerServiceState>;
using Waits = std::vector<uint32_t>;
const SpoolerServiceState kRunning{kServiceRunning}, kStopped{kServiceStopped};

// first: what the guard finds; 1056s: StartService's ERROR_SERVICE_ALREADY_RUNNING answers first;
// afterStart, then, keepsMoving: as the fake's; starts: StartService calls, each after asking.
const struct Sequence {
    const char* name; SpoolerServiceState first; int alreadyRunningAnswers; SpoolerServiceState afterStart; States then;
    int keepsMoving; SpoolerFinding finding; uint32_t errorCode; int starts; Waits waits;
} kSequences[] = {
    // A start at boot: never asked about; a tenth of a 2-s hint is under the 1-s floor.
    {"StartPendingToRunning", {kServiceStartPending, 1, 2000}, 0, kRunning, {{kServiceStartPending, 2, 2000}, kRunning},
     0, SpoolerFinding::WasStarting, 0, 0, {1000, 1000}},
    {"StartPendingToStopped", {kServiceStartPending, 1, 2000}, 0, kRunning, {{kServiceStopped, 0, 0, 1069}}, 0,
     SpoolerFinding::StartingFailed, 1069, 0, {1000}},
    // An administrator's restart: its stop is waited out, its own start waited for.
    {"StopPendingThenRestartedByItsOwner", {kServiceStopPending, 1, 30000}, 0, kRunning,
     {{kServiceStartPending, 1, 30000}, kRunning}, 0, SpoolerFinding::WasStarting, 0, 0, {3000, 3000}},
    {"StopPendingToStoppedThenStarted", {kServiceStopPending, 1, 150000}, 0, kRunning, {kStopped}, 0,
     SpoolerFinding::Started, 0, 1, {10000}},
    // The SCM had not finished a stop when StartService came: one more StartService runs it.
    {"AlreadyRunningAnswerThenStopped", kStopped, 1, kRunning, {}, 0, SpoolerFinding::Started, 0, 2, {}},
    // A slow PC: 35 s of start, the check point moving at every look.
    {"SlowStartThatKeepsMoving", kStopped, 0, {kServiceStartPending, 0, 2000}, {}, 34, SpoolerFinding::Started, 0, 1,
     Waits(35, 1000)},
    // Its check point stands still beyond its own 3-s hint.
    {"ProgressStopsMoving", kStopped, 0, {kServiceStartPending, 1, 3000}, States(9, {kServiceStartPending, 1, 3000}), 0,
     SpoolerFinding::StartFailed, kErrorServiceRequestTimeout, 1, Waits(4, 1000)},
    // Moving, but past the SCM's own 80 s plus its last hint.
    {"MovingPastTheScmBound", kStopped, 0, {kServiceStartPending, 0, 20000}, {}, 1000, SpoolerFinding::StartFailed,
     kErrorServiceRequestTimeout, 1, Waits(51, 2000)},
};

class SpoolerServiceSequence : public testing::TestWithParam<Sequence> {};

}  // namespace

TEST_P(SpoolerServiceSequence, IsWaitedForAsItsOwnProgressSays)
{
    const Sequence& row = GetParam();
    FakeSpoolerService service;
    service.state = row.first;
    service.alreadyRunningAnswers = row.alreadyRunningAnswers;
    service.afterStart = row.afterStart;
    service.then = row.then;
    service.keepsMoving = row.keepsMoving;
    int asked = 0;
    SpoolerServiceGuard guard(&service, [&] { return ++asked, true; });

    EXPECT_EQ(row.errorCode == 0, guard.ShouldRepeat(kErrorRpcServerUnavailable));
    EXPECT_EQ(row.finding, guard.Check().finding);
    EXPECT_EQ(row.errorCode, guard.Check().errorCode);
    EXPECT_EQ(row.starts, service.starts);
    EXPECT_EQ(row.starts > 0 ? 1 : 0, asked) << "a service already starting is not asked about";
    EXPECT_EQ(row.waits, service.waits);
    if (row.finding == SpoolerFinding::StartingFailed)
        EXPECT_EQ(0u, SpoolerServiceText(guard.Check(), L"<text>").find(L"The Print Spooler service was starting and did "
                                                                       L"not start: <text> (error 1069). Printers cannot"));
}

INSTANTIATE_TEST_SUITE_P(States, SpoolerServiceSequence, testing::ValuesIn(kSequences),
                         [](const testing::TestParamInfo<Sequence>& info) { return std::string(info.param.name); });
