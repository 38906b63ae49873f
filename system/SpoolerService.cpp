#include "system/SpoolerService.h"

#include <utility>

#include "system/Win32ErrorCodes.h"

namespace {

constexpr uint32_t kErrorUnknownPrinterDriver = 1797;  // ERROR_UNKNOWN_PRINTER_DRIVER
constexpr uint32_t kErrorInvalidPrinterName = 1801;    // ERROR_INVALID_PRINTER_NAME
constexpr uint32_t kErrorPrinterDriverInUse = 3001;    // ERROR_PRINTER_DRIVER_IN_USE

const wchar_t kHowToStart[] =
    L"Printers cannot be installed or removed until it is set to Automatic and started: open Services (services.msc), "
    L"double-click \"Print Spooler\", set its Startup type to Automatic, click Start, and run this setup again.";

}  // namespace

const wchar_t kStartSpoolerQuestion[] =
    L"The Print Spooler service is stopped, so printers cannot be installed.\n\nStart the Print Spooler service now?";
const wchar_t kSpoolerStartedText[] = L"The Print Spooler service was stopped and has been started.";

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

bool SpoolerServiceGuard::ShouldRepeat(uint32_t error)
{
    // One look per run: a second failure finds the service as the first did, and a service
    // started once and failing again is not started in a loop.
    if (m_service == nullptr || IsSpoolerAnswer(error) || m_check.finding != SpoolerFinding::NotAsked)
        return false;
    SpoolerServiceState state;
    if (uint32_t scmError = m_service->Query(state)) {
        m_check = {SpoolerFinding::Unreachable, scmError};
        return false;
    }
    if (state.running) {
        m_check = {SpoolerFinding::Running, 0};
        return false;
    }
    // An administrator chose it: never changed here.
    if (state.disabled) {
        m_check = {SpoolerFinding::Disabled, 0};
        return false;
    }
    if (!m_mayStart || !m_mayStart()) {
        m_check = {SpoolerFinding::Declined, 0};
        return false;
    }
    if (uint32_t startError = m_service->StartAndWait(kSpoolerStartTimeoutMs)) {
        m_check = {SpoolerFinding::StartFailed, startError};
        return false;
    }
    m_check = {SpoolerFinding::Started, 0};
    return true;
}

std::wstring SpoolerServiceText(const SpoolerServiceCheck& check, const std::wstring& errorText)
{
    switch (check.finding) {
    case SpoolerFinding::Disabled:
        return std::wstring(L"The Print Spooler service is disabled. ") + kHowToStart;
    case SpoolerFinding::Declined:
        return L"The Print Spooler service is stopped. Printers cannot be installed or removed until it runs: start it in "
               L"Services (services.msc), or run this setup again and let it start the service.";
    case SpoolerFinding::StartFailed: {
        std::wstring text = L"The Print Spooler service is stopped and could not be started:";
        if (!errorText.empty())
            text += L" " + errorText;
        return text + L" (error " + std::to_wstring(check.errorCode) + L"). " + kHowToStart;
    }
    case SpoolerFinding::NotAsked:
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
    return text + L" (error " + std::to_wstring(callError) + L").";
}
