#include <gtest/gtest.h>

#include "win/CentredIcon.h"
#include "ui/NextStep.h"
#include "system/OsClassification.h"
#include "app/PageSequence.h"

namespace {

constexpr int kPageNotCreated = -1;

TEST(NextStep, BackOrCancelOnThePortPageKeepsTheSettingsPageOpen)
{
    for (int32_t os = kOsUnknown; os <= kOsWindows8Later; ++os) {
        EXPECT_EQ(NextStep::StayOnPage, DecideAfterPortPage(kEndCancel, false, os)) << os;
        // The code decides, even if a success flag were left over.
        EXPECT_EQ(NextStep::StayOnPage, DecideAfterPortPage(kEndCancel, true, os)) << os;
    }
}

TEST(NextStep, ASuccessfulInstallationIsReportedOnTheNtFamilyOnly)
{
    for (int32_t os : {kOsWindowsNT4, kOsWindows2000, kOsWindowsXP, kOsWindows2003, kOsWindowsVista, kOsWindows7,
                       kOsWindows8Later})
        EXPECT_EQ(NextStep::CompleteWithMessage, DecideAfterPortPage(kEndOk, true, os)) << os;
    for (int32_t os : {kOsUnknown, kOsWindows95, kOsWindows98Me})
        EXPECT_EQ(NextStep::EndWithoutMessage, DecideAfterPortPage(kEndOk, true, os)) << os;
}

TEST(NextStep, APortPageThatEndedWithoutASuccessNeverClaimsCompletion)
{
    for (int32_t os = kOsUnknown; os <= kOsWindows8Later; ++os) {
        EXPECT_EQ(NextStep::EndWithoutMessage, DecideAfterPortPage(kEndOk, false, os)) << os;
        EXPECT_EQ(NextStep::EndWithoutMessage, DecideAfterPortPage(kPageNotCreated, false, os)) << os;
        EXPECT_EQ(NextStep::EndWithoutMessage, DecideAfterPortPage(0, false, os)) << os;
    }
}

TEST(NextStep, CodesOutsideTheClassifiersRangeGetNoMessage)
{
    EXPECT_EQ(NextStep::EndWithoutMessage, DecideAfterPortPage(kEndOk, true, 10));
    EXPECT_EQ(NextStep::EndWithoutMessage, DecideAfterPortPage(kEndOk, true, -1));
}

TEST(CentredIcon, CentresWithTheExtraPixelGoingToTheFarSide)
{
    EXPECT_EQ(0, CentredIconOffset(32, 32));
    EXPECT_EQ(16, CentredIconOffset(64, 32));
    EXPECT_EQ(17, CentredIconOffset(65, 32));  // (65 - 32 + 1) / 2
    EXPECT_EQ(1, CentredIconOffset(33, 32));
}

TEST(CentredIcon, AnIconLargerThanTheClientAreaRoundsTowardZero)
{
    EXPECT_EQ(-5, CentredIconOffset(20, 32));   // -11 / 2
    EXPECT_EQ(-15, CentredIconOffset(0, 32));   // -31 / 2
    EXPECT_EQ(0, CentredIconOffset(31, 32));    // 0 / 2
    EXPECT_EQ(0, CentredIconOffset(30, 32));    // -1 / 2 toward zero, not -1
}

}  // namespace
