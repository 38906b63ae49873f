#include "system/SpoolerService.h"

#include <utility>

#include "system/Win32ErrorCodes.h"
#include "system/DecimalText.h"

namespace {

constexpr uint32_t kErrorUnknownPrinterDriver = 1797;  // ERROR_UNKNOWN_PRINTER_DRIVER
constexpr uint32_t kErrorInvalidPrinterName = 1801;    // ERROR_INVALID_PRINTER_NAME
constexpr uint32_t kErrorPrinterDriverInUse = 3001;    // ERROR_PRINTER_DRIVER_IN_USE

const wchar_t kHowToStart[] =
    L"Printers cannot be installed or removed until it is set to Automatic and started: open Services (services.msc), "
    L"double-click \"Print Spooler\", set its Startup type to Automatic, click Start, and run this setup again.";

std::wstring FailedStartText(const wchar_t* lead, const std::wstring& errorText, uint32_t errorCode)
{
    std::wstring text = lead;
    if (!errorText.empty())
        text += L" " + errorText;
    return text + L" (error " + DecimalText(errorCode) + L"). " + kHowToStart;
}

}  // namespace

const wchar_t kStartSpoolerQuestion[] =
    L"The Print Spooler service is stopped, so printers cannot be installed.\n\nStart the Print Spooler service now?";
const wchar_t kSpoolerStartedText[] = L"The Print Spooler service was stopped and has been started.";
const wchar_t kSpoolerWasStartingText[] = L"The Print Spooler service was starting; it runs now.";

uint32_t ServicePollMs(uint32_t waitHintMs)
{
    const uint32_t poll = waitHintMs / 10;
    return poll < kServiceMinPollMs ? kServiceMinPollMs : poll > kServiceMaxPollMs ? kServiceMaxPollMs : poll;
}

uint32_t WaitWhilePending(SpoolerService& service, SpoolerServiceState& state)
{
    const uint32_t pending = state.current;
    const uint32_t began = service.Milliseconds();
    uint32_t movedAt = began;
    uint32_t checkPoint = state.checkPoint;
    while (state.current == pending) {
        service.Wait(ServicePollMs(state.waitHintMs));
        if (uint32_t error = service.Query(state))
            return error;
        if (state.current != pending)
            return 0;
        const uint32_t now = service.Milliseconds();
        if (state.checkPoint != checkPoint) {
            checkPoint = state.checkPoint;
            movedAt = now;
        } else if (now - movedAt > state.waitHintMs) {
            return kErrorServiceRequestTimeout;  // no progress within its own hint
        }
        if (now - began > kScmStartBoundMs + state.waitHintMs)
            return kErrorServiceRequestTimeout;  // the SCM takes it for hung by now
    }
    return 0;
}

namespace {

// Where a wait for a start ended.
uint32_t StartOutcome(const SpoolerServiceState& state)
{
    if (state.current == kServiceRunning)
        return 0;
    // It gave up: its own exit code says why (ERROR_SERVICE_SPECIFIC_ERROR for a code of its own).
    if (state.current == kServiceStopped)
        return state.exitCode != 0 ? state.exitCode : kErrorServiceNotActive;
    return kErrorServiceRequestTimeout;
}

}  // namespace

uint32_t StartAndWait(SpoolerService& service)
{
    SpoolerServiceState state;
    uint32_t error = service.Start();
    // 1056 says only that the service was not stopped ([MS-SCMR] RStartServiceW): one still
    // stopping is waited out and started once more; one that someone else started is waited for.
    if (error == kErrorServiceAlreadyRunning) {
        if ((error = service.Query(state)) != 0)
            return error;
        if (state.current == kServiceStopPending && (error = WaitWhilePending(service, state)) != 0)
            return error;
        if (state.current == kServiceStopped)
            error = service.Start();
    }
    if (error != 0)
        return error;
    if ((error = service.Query(state)) != 0)
        return error;
    if (state.current == kServiceStartPending && (error = WaitWhilePending(service, state)) != 0)
        return error;
    return StartOutcome(state);
}

bool IsSpoolerAnswer(uint32_t error)
{
    switch (error) {
    case kErrorInsufficientBuffer:
    case kErrorCancelled:
    case kErrorNoUnicodeTranslation:  // our own refusal of a name, made before any call
    case kErrorPrinterDriverAlreadyInstalled:
    case kErrorPrinterAlreadyExists:
    case kErrorPrinterDriverWarned:
    case kErrorPrinterDriverBlocked:
    case kErrorUnknownPrinterDriver:
    case kErrorInvalidPrinterName:
    case kErrorPrinterDriverInUse:
        return true;
    default:
        return false;
    }
}

SpoolerServiceGuard::SpoolerServiceGuard(SpoolerService* service, std::function<bool()> mayStart)
    : m_service(service), m_mayStart(std::move(mayStart))
{
}

bool SpoolerServiceGuard::Found(SpoolerFinding finding, uint32_t errorCode)
{
    m_check.finding = finding;
    m_check.errorCode = errorCode;
    return finding == SpoolerFinding::Started || finding == SpoolerFinding::WasStarting;
}

bool SpoolerServiceGuard::ShouldRepeat(uint32_t error)
{
    // One look per run: a second failure finds the service as the first did, and a service
    // started once and failing again is not started in a loop.
    if (m_service == nullptr || IsSpoolerAnswer(error) || m_check.finding != SpoolerFinding::NotAsked)
        return false;
    SpoolerServiceState state;
    if (uint32_t scmError = m_service->Query(state))
        return Found(SpoolerFinding::Unreachable, scmError);
    // Someone restarts it (an administrator, another installer): what the stop comes to decides.
    bool waited = false;
    if (state.current == kServiceStopPending) {
        if (uint32_t waitError = WaitWhilePending(*m_service, state))
            return Found(SpoolerFinding::StartFailed, waitError);
        waited = true;
    }
    // Starting already (a start at boot, the restart above): waited for, never asked about.
    if (state.current == kServiceStartPending) {
        uint32_t waitError = WaitWhilePending(*m_service, state);
        if (waitError == 0)
            waitError = StartOutcome(state);
        return Found(waitError == 0 ? SpoolerFinding::WasStarting : SpoolerFinding::StartingFailed, waitError);
    }
    if (state.current != kServiceStopped)
        return Found(waited && state.current == kServiceRunning ? SpoolerFinding::WasStarting : SpoolerFinding::Running);
    // An administrator chose it: never changed here.
    if (state.disabled)
        return Found(SpoolerFinding::Disabled);
    if (!m_mayStart || !m_mayStart())
        return Found(SpoolerFinding::Declined);
    if (uint32_t startError = StartAndWait(*m_service))
        return Found(SpoolerFinding::StartFailed, startError);
    return Found(SpoolerFinding::Started);
}

std::wstring SpoolerServiceText(const SpoolerServiceCheck& check, const std::wstring& errorText)
{
    switch (check.finding) {
    case SpoolerFinding::Disabled:
        return std::wstring(L"The Print Spooler service is disabled. ") + kHowToStart;
    case SpoolerFinding::Declined:
        return L"The Print Spooler service is stopped. Printers cannot be installed or removed until it runs: start it in "
               L"Services (services.msc), or run this setup again and let it start the service.";
    case SpoolerFinding::StartFailed:
        return FailedStartText(L"The Print Spooler service is stopped and could not be started:", errorText,
                               check.errorCode);
    case SpoolerFinding::StartingFailed:
        return FailedStartText(L"The Print Spooler service was starting and did not start:", errorText,
                               check.errorCode);
    case SpoolerFinding::NotAsked:
    case SpoolerFinding::WasStarting:
    case SpoolerFinding::Running:
    case SpoolerFinding::Unreachable:
    case SpoolerFinding::Started:
        break;
    }
    return std::wstring();
}

std::wstring SpoolerFailureText(const SpoolerServiceCheck& check, const std::wstring& serviceErrorText,
                                const std::wstring& what, uint32_t callError, const std::wstring& callErrorText)
{
    const std::wstring service = SpoolerServiceText(check, serviceErrorText);
    if (!service.empty())
        return service;
    std::wstring text = what + L":";
    if (!callErrorText.empty())
        text += L" " + callErrorText;
    return text + L" (error " + DecimalText(callError) + L").";
}
