// The Print Spooler service, asked about only after a spooler call failed: a spooler that
// answers costs nothing more, and Wine's own service, stopped while its spooler runs inside
// the process, never matters. An administrator's "Disabled" is left alone; a stopped service
// may be started, where someone agrees to it, and the failed call is then repeated once. One
// that is starting or stopping is waited for as Microsoft's "Starting a Service" sample does.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

constexpr uint32_t kErrorCancelled = 1223;              // ERROR_CANCELLED: a dialog's Cancel
constexpr uint32_t kErrorServiceRequestTimeout = 1053;  // ERROR_SERVICE_REQUEST_TIMEOUT
constexpr uint32_t kErrorServiceAlreadyRunning = 1056;  // ERROR_SERVICE_ALREADY_RUNNING
constexpr uint32_t kErrorServiceNotActive = 1062;       // ERROR_SERVICE_NOT_ACTIVE
constexpr uint32_t kErrorRpcServerUnavailable = 1722;   // RPC_S_SERVER_UNAVAILABLE

// SERVICE_STATUS.dwCurrentState's values.
constexpr uint32_t kServiceStopped = 1;
constexpr uint32_t kServiceStartPending = 2;
constexpr uint32_t kServiceStopPending = 3;
constexpr uint32_t kServiceRunning = 4;

// What QueryServiceStatus and QueryServiceConfig report.
struct SpoolerServiceState {
    uint32_t current = kServiceStopped;  // dwCurrentState
    uint32_t checkPoint = 0;             // dwCheckPoint: moves while a pending start or stop makes progress
    uint32_t waitHintMs = 0;             // dwWaitHint: how long until the next move
    uint32_t exitCode = 0;               // dwWin32ExitCode: why a stopped service stopped
    bool disabled = false;               // start type SERVICE_DISABLED
};

// The Service Control Manager's side, for the service named "Spooler", with the clock the
// waits are measured by.
class SpoolerService {
public:
    virtual ~SpoolerService() = default;
    // 0, or the error of the SCM call that failed (the SCM could not be asked).
    virtual uint32_t Query(SpoolerServiceState& state) = 0;
    // StartService: 0, or its error (ERROR_SERVICE_ALREADY_RUNNING for a service not stopped).
    virtual uint32_t Start() = 0;
    // A tick count in milliseconds (wrapping).
    virtual uint32_t Milliseconds() = 0;
    // The pause between two looks at a pending service; a page's keeps the page answering.
    virtual void Wait(uint32_t milliseconds) = 0;
};

// The figures of Microsoft's "Starting a Service" sample and "Service Startup" page: the poll
// is a tenth of the wait hint, kept between 1 and 10 s; a pending service that has not moved
// its check point within its wait hint has failed; the SCM itself gives a service 80 s plus
// its last wait hint before it takes it for hung.
constexpr uint32_t kServiceMinPollMs = 1000;
constexpr uint32_t kServiceMaxPollMs = 10000;
constexpr uint32_t kScmStartBoundMs = 80000;

uint32_t ServicePollMs(uint32_t waitHintMs);
// Polls while `state` stays in the pending state it is in, following the service's progress;
// `state` is the last one seen. 0, a Query's error, or ERROR_SERVICE_REQUEST_TIMEOUT.
uint32_t WaitWhilePending(SpoolerService& service, SpoolerServiceState& state);
// Starts a stopped (or stopping) service as "Starting a Service" does and waits until it runs:
// 0 once it runs; otherwise the start's error, the service's own exit code when it stopped
// again, or ERROR_SERVICE_REQUEST_TIMEOUT.
uint32_t StartAndWait(SpoolerService& service);

enum class SpoolerFinding {
    NotAsked,      // no call failed, or only with an answer that a working spooler gives
    Running,       // the service runs: the call's own error stands
    Unreachable,   // the SCM could not be asked (errorCode): the call's own error stands
    Disabled,      // start type Disabled: left so
    Declined,      // stopped, and the user chose not to start it
    Started,       // stopped, started now; the failed call was repeated
    StartFailed,   // stopped, and it would not start (errorCode)
    WasStarting,   // starting (or restarting) already, and it ran: the failed call was repeated
    StartingFailed,  // starting already, and it stopped or hung (errorCode)
};

struct SpoolerServiceCheck {
    SpoolerFinding finding = SpoolerFinding::NotAsked;
    uint32_t errorCode = 0;
    // AddPrinter, repeated after the restart, found the printer that its first call had added
    // (ours, on the chosen port) before the spooler stopped.
    bool printerAddedBeforeRestart = false;
};

// Whether a failed call's error is an answer that only a working spooler gives (a buffer too
// small, "exists already", a dialog cancelled, no such printer or driver): no service to ask.
bool IsSpoolerAnswer(uint32_t error);

// The error of a call that answers with its error code (0: it succeeded).
inline uint32_t ErrorOf(uint32_t error)
{
    return error;
}

// Sits between the program and its spooler calls. Asks the SCM once, at the first failure that
// is not an answer; starts the service at most once, when `mayStart` agrees.
class SpoolerServiceGuard {
public:
    // `service` null: nothing is asked (the call's own error stands). `mayStart` is asked only
    // for a stopped service that is not disabled.
    SpoolerServiceGuard(SpoolerService* service, std::function<bool()> mayStart);
    // After a call failed with `error`: true when the service was started now and the call
    // is to be made once more.
    bool ShouldRepeat(uint32_t error);
    // Makes `call` and, when the service was started for its failure, makes it once more.
    // The call's error is found by ErrorOf, which each kind of result declares beside itself.
    template <class Call>
    auto Checked(const Call& call) -> decltype(call())
    {
        auto result = call();
        const uint32_t error = ErrorOf(result);
        if (error != 0 && ShouldRepeat(error))
            result = call();
        return result;
    }
    const SpoolerServiceCheck& Check() const { return m_check; }
    void NotePrinterAddedBeforeRestart() { m_check.printerAddedBeforeRestart = true; }

private:
    bool Found(SpoolerFinding finding, uint32_t errorCode = 0);

    SpoolerService* m_service;
    std::function<bool()> m_mayStart;
    SpoolerServiceCheck m_check;
};

// What the user is told about the service, the same in the wizard and the log; empty where the
// failed call's own error is all there is to say (Running, Unreachable, NotAsked, Started).
// `errorText`: Windows' text for check.errorCode.
std::wstring SpoolerServiceText(const SpoolerServiceCheck& check, const std::wstring& errorText);
// The text for a spooler call that failed: what the service was found in, else `what` with
// Windows' text for the call's own error (`callErrorText`).
std::wstring SpoolerFailureText(const SpoolerServiceCheck& check, const std::wstring& serviceErrorText,
                                const std::wstring& what, uint32_t callError, const std::wstring& callErrorText);
// The wizard's question before it starts the service.
extern const wchar_t kStartSpoolerQuestion[];
// The log's line when a run started the service itself.
extern const wchar_t kSpoolerStartedText[];
// The log's line when the service was starting already and a run waited for it.
extern const wchar_t kSpoolerWasStartingText[];
