// The Print Spooler service through its states as the SCM reports them over time, against the
// fake's clock: no test sleeps.
#include <gtest/gtest.h>

#include <vector>

#include "FakeSpoolerService.h"

namespace {

using States = std::vector<SpoolerServiceState>;
using Waits = std::vector<uint32_t>;

struct Sequence {
    const char* name;
    SpoolerServiceState first;  // what the guard finds
    int alreadyRunningAnswers;
    SpoolerServiceState afterStart;
    States then;
    bool keepsMoving;
    SpoolerFinding finding;
    uint32_t errorCode;
    int starts;
    bool asked;
    Waits waits;  // each poll, in ms
};

// A start that moves its check point at every look and runs at look `looks`.
States MovingStart(uint32_t looks, uint32_t waitHintMs)
{
    States states;
    for (uint32_t look = 1; look < looks; ++look)
        states.push_back({kServiceStartPending, look, waitHintMs});
    states.push_back({kServiceRunning});
    return states;
}

const SpoolerServiceState kRunning{kServiceRunning};
const SpoolerServiceState kStopped{kServiceStopped};

const Sequence kSequences[] = {
    // A start at boot: never asked about; a tenth of a 2-s hint is under the 1-s floor.
    {"StartPendingToRunning", {kServiceStartPending, 1, 2000}, 0, kRunning,
     {{kServiceStartPending, 2, 2000}, kRunning}, false, SpoolerFinding::WasStarting, 0, 0, false, {1000, 1000}},
    {"StartPendingToStopped", {kServiceStartPending, 1, 2000}, 0, kRunning,
     {{kServiceStopped, 0, 0, 1069}}, false, SpoolerFinding::StartingFailed, 1069, 0, false, {1000}},
    // An administrator's restart: its stop is waited out, its own start waited for.
    {"StopPendingThenRestartedByItsOwner", {kServiceStopPending, 1, 30000}, 0, kRunning,
     {{kServiceStartPending, 1, 30000}, kRunning}, false, SpoolerFinding::WasStarting, 0, 0, false, {3000, 3000}},
    {"StopPendingToStoppedThenStarted", {kServiceStopPending, 1, 150000}, 0, kRunning, {kStopped}, false,
     SpoolerFinding::Started, 0, 1, true, {10000}},
    // The SCM had not finished a stop when StartService came: one more StartService runs it.
    {"AlreadyRunningAnswerThenStopped", kStopped, 1, kRunning, {}, false, SpoolerFinding::Started, 0, 2, true, {}},
    // A slow PC: 35 s of start, the check point moving at every look.
    {"SlowStartThatKeepsMoving", kStopped, 0, {kServiceStartPending, 0, 2000},
     MovingStart(35, 2000), false, SpoolerFinding::Started, 0, 1, true,
     Waits(35, 1000)},
    // Its check point stands still beyond its own 3-s hint.
    {"ProgressStopsMoving", kStopped, 0, {kServiceStartPending, 1, 3000}, States(9, {kServiceStartPending, 1, 3000}),
     false, SpoolerFinding::StartFailed, kErrorServiceRequestTimeout, 1, true, Waits(4, 1000)},
    // Moving, but past the SCM's own 80 s plus its last hint.
    {"MovingPastTheScmBound", kStopped, 0, {kServiceStartPending, 0, 20000}, {}, true, SpoolerFinding::StartFailed,
     kErrorServiceRequestTimeout, 1, true, Waits(51, 2000)},
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

    const bool repeat = guard.ShouldRepeat(kErrorRpcServerUnavailable);
    EXPECT_EQ(row.finding, guard.Check().finding);
    EXPECT_EQ(row.errorCode, guard.Check().errorCode);
    EXPECT_EQ(row.errorCode == 0, repeat);
    EXPECT_EQ(row.starts, service.starts);
    EXPECT_EQ(row.asked ? 1 : 0, asked) << "a service already starting is not asked about";
    EXPECT_EQ(row.waits, service.waits);
}

INSTANTIATE_TEST_SUITE_P(States, SpoolerServiceSequence, testing::ValuesIn(kSequences),
                         [](const testing::TestParamInfo<Sequence>& info) { return std::string(info.param.name); });

TEST(SpoolerServicePoll, IsATenthOfTheWaitHintKeptBetweenOneAndTenSeconds)
{
    EXPECT_EQ(1000u, ServicePollMs(0));
    EXPECT_EQ(1000u, ServicePollMs(9999));
    EXPECT_EQ(4500u, ServicePollMs(45000));
    EXPECT_EQ(10000u, ServicePollMs(600000));
}

TEST(SpoolerServiceTexts, EachFailedStartSaysWhichStateItWasIn)
{
    const std::wstring starting = SpoolerServiceText({SpoolerFinding::StartingFailed, 1069}, L"<text of 1069>");
    EXPECT_EQ(0u, starting.find(L"The Print Spooler service was starting and did not start: <text of 1069> (error 1069). "
                                L"Printers cannot be installed or removed until it is set to Automatic"));
    EXPECT_EQ(L"", SpoolerServiceText({SpoolerFinding::WasStarting, 0}, L""));
}
