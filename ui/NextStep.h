// What the printer settings page does once the port page it ran with "&Next >" has ended.
#pragma once
#include <cstdint>

enum class NextStep {
    StayOnPage,          // the user went back (or cancelled): the settings page stays open
    CompleteWithMessage, // an installation succeeded on an NT-family system: "Completed!", then end
    EndWithoutMessage,   // end the wizard without claiming that anything was installed
};

// portPageEndCode: the port page's modal result (IDOK 1, IDCANCEL 2, -1 when it could not
// be created); installSucceeded: the port page ran an installation that succeeded.
NextStep DecideAfterPortPage(long long portPageEndCode, bool installSucceeded, int32_t osKind);
