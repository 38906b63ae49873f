#include <windows.h>

#include <string>

#include "app/CommandLine.h"
#include "app/HealthCheck_win32.h"
#include "win/Messages_win32.h"
#include "system/HostArchitecture.h"
#include "app/QuietMode.h"
#include "app/QuietMode_win32.h"
#include "install/InstallSystem_win32.h"
#include "install/PackageSeal.h"
#include "ports/PortSpooler_win32.h"
#include "install/Uninstall_win32.h"
#include "system/DesktopAccount_win32.h"
#include "system/SpoolerService_win32.h"
#include "ports/XcvPorts_win32.h"
#include "system/TextConversion_win32.h"
#include "ui/InstallMessages.h"
#include "system/DecimalText.h"

namespace {

// The caption of the usage box, whatever the program file is called.
const wchar_t kUsageCaption[] = L"PrinterSetup";

// The code page's exact spelling of a UTF-8 text; nothing when it has none.
bool ToAnsi(const std::string& utf8, std::string& ansi)
{
    if (NarrowExactly(FromUtf8(utf8), CP_ACP, ansi))
        return true;
    ansi.clear();
    return false;
}

// The log file: UTF-8 (with a byte-order mark when the file is new, so that Notepad reads the
// Chinese registry message right), appended to, one timestamped line per event.
class FileLog : public QuietLog {
public:
    ~FileLog() override
    {
        if (m_file != INVALID_HANDLE_VALUE)
            CloseHandle(m_file);
    }
    // False when the file cannot be opened for appending; GetLastError says why. The path
    // (UTF-8) goes to the Unicode call: a folder in any script is found.
    bool Open(const std::string& path)
    {
        m_file = CreateFileW(FromUtf8(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (m_file == INVALID_HANDLE_VALUE)
            return false;
        LARGE_INTEGER size = {};
        if (GetFileSizeEx(m_file, &size) && size.QuadPart == 0 && !Append("\xEF\xBB\xBF")) {
            CloseHandle(m_file);  // not even the mark fits: the file cannot be written
            m_file = INVALID_HANDLE_VALUE;
            return false;
        }
        return true;
    }
    bool Write(const std::wstring& line) override
    {
        if (m_file == INVALID_HANDLE_VALUE)
            return true;  // no log asked for
        SYSTEMTIME now = {};
        GetLocalTime(&now);
        char stamp[32] = {};
        wsprintfA(stamp, "%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                  now.wSecond);
        return Append(stamp + Utf8Of(line) + "\r\n");
    }

private:
    bool Append(const std::string& bytes)
    {
        DWORD written = 0;
        return WriteFile(m_file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
               written == bytes.size();
    }
    HANDLE m_file = INVALID_HANDLE_VALUE;
};

void ShowUsage(const std::wstring& lead, UINT icon)
{
    std::wstring text = lead.empty() ? FromUtf8(UsageText()) : lead + L"\n\n" + FromUtf8(UsageText());
    MessageBoxW(nullptr, text.c_str(), kUsageCaption, MB_OK | icon);
}

int RunQuiet(const CommandLineOptions& options)
{
    FileLog log;
    const bool logOpen = !options.logFile.empty() && log.Open(options.logFile);
    if (options.mode == CommandMode::BadArguments) {
        WriteLogLine(log, L"Invalid arguments: " + FromUtf8(options.error) + L" Result: exit code " +
                              DecimalText(kExitInvalidParameter) + L".");
        return kExitInvalidParameter;
    }
    if (!options.logFile.empty() && !logOpen)
        return kExitLogFailure;  // the one record the admin asked for cannot be kept: change nothing

    Win32DriverSpooler spooler;
    Win32PackageFiles files;
    Win32RegistryWriter registry;
    Win32PortSpooler ports;
    Win32UninstallSystem removal;
    QuietSystem system{spooler,
                       files,
                       registry,
                       ports,
                       removal,
                       log,
                       CurrentHostArchitecture(),
                       WidenAnsi,
                       [](uint32_t code) { return Win32ErrorText(code); },
                       kRegistryFailureText,
                       ToAnsi};
    Win32XcvPorts xcv;
    Win32AccountQuery accounts;
    system.xcv = &xcv;
    system.accounts = &accounts;
    system.seal = &ProgramSeal();
    Win32SpoolerService spoolerService;
    system.spoolerService = &spoolerService;
    if (options.mode == CommandMode::QuietUninstall)
        return RunQuietUninstall(system);
    system.policies = CurrentPrintPolicies();
    system.elevated = ProcessRunsElevated();
    return RunQuietInstall(options, system);
}

}  // namespace

std::unique_ptr<QuietLog> OpenQuietLog(const std::string& path)
{
    auto log = std::make_unique<FileLog>();
    if (!path.empty() && !log->Open(path))
        return nullptr;
    return log;
}

std::string CommandLineArguments()
{
    const std::string line = Utf8Of(GetCommandLineW());
    return ArgumentsAfterProgramName(line.c_str());
}

bool RunCommandLineMode(const char* arguments, int& exitCode)
{
    const CommandLineOptions options = ParseCommandLine(arguments);
    switch (options.mode) {
    case CommandMode::Wizard:
        return false;
    case CommandMode::Help:
        ShowUsage(std::wstring(), MB_ICONINFORMATION);
        exitCode = kExitSuccess;
        return true;
    case CommandMode::BadArguments:
        if (!options.quiet) {
            ShowUsage(FromUtf8(options.error), MB_ICONEXCLAMATION);
            exitCode = kExitInvalidParameter;
            return true;
        }
        break;
    case CommandMode::Check:
        exitCode = RunHealthCheckMode(options);
        return true;
    case CommandMode::QuietInstall:
    case CommandMode::QuietUninstall:
        break;
    }
    exitCode = RunQuiet(options);
    return true;
}
