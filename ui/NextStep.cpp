#include "ui/NextStep.h"

#include "system/OsClassification.h"
#include "ui/PageEndCodes.h"

NextStep DecideAfterPortPage(long long portPageEndCode, bool installSucceeded, int32_t osKind)
{
    if (portPageEndCode == kEndCancel)
        return NextStep::StayOnPage;
    // Only a real success may be reported as one; 9x systems never showed the message.
    if (installSucceeded && IsNtFamily(osKind))
        return NextStep::CompleteWithMessage;
    return NextStep::EndWithoutMessage;
}
