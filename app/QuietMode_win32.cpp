#include <windows.h>

#include <string>

#include "app/CommandLine.h"
#include "win/Messages_win32.h"
#include "install/HostArchitecture.h"
#include "app/QuietMode.h"
#include "app/QuietMode_win32.h"
#include "install/InstallSystem_win32.h"
#include "install/PortSpooler_win32.h"
#include "install/Uninstall_win32.h"
#include "ui/InstallMessages.h"

namespace {

// The caption of the usage box, whatever the program file is called.
const wchar_t kUsageCaption[] = L"PrinterSetup";

std::string Utf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                     nullptr);
    if (length <= 0)
        return std::string();
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], length, nullptr, nullptr);
    return bytes;
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
    // False when the file cannot be opened for appending; GetLastError says why.
    bool Open(const std::string& path)
    {
        m_file = CreateFileW(WidenAnsi(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (m_file == INVALID_HANDLE_VALUE)
            return false;
        LARGE_INTEGER size = {};
        if (GetFileSizeEx(m_file, &size) && size.QuadPart == 0)
            Append("\xEF\xBB\xBF");
        return true;
    }
    void Write(const std::wstring& line) override
    {
        if (m_file == INVALID_HANDLE_VALUE)
            return;
        SYSTEMTIME now = {};
        GetLocalTime(&now);
        char stamp[32] = {};
        wsprintfA(stamp, "%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                  now.wSecond);
        Append(stamp + Utf8(line) + "\r\n");
    }

private:
    void Append(const std::string& bytes)
    {
        DWORD written = 0;
        WriteFile(m_file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    HANDLE m_file = INVALID_HANDLE_VALUE;
};

void ShowUsage(const std::wstring& lead, UINT icon)
{
    std::wstring text = lead.empty() ? Widen(UsageText()) : lead + L"\n\n" + Widen(UsageText());
    MessageBoxW(nullptr, text.c_str(), kUsageCaption, MB_OK | icon);
}

int RunQuiet(const CommandLineOptions& options)
{
    FileLog log;
    const bool logOpen = !options.logFile.empty() && log.Open(options.logFile);
    if (options.mode == CommandMode::BadArguments) {
        log.Write(L"Invalid arguments: " + WidenAnsi(options.error) + L" Result: exit code " +
                  std::to_wstring(kExitInvalidParameter) + L".");
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
                       kRegistryFailureText};
    if (options.mode == CommandMode::QuietUninstall)
        return RunQuietUninstall(system);
    return RunQuietInstall(options, system);
}

}  // namespace

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
            ShowUsage(WidenAnsi(options.error), MB_ICONEXCLAMATION);
            exitCode = kExitInvalidParameter;
            return true;
        }
        break;
    case CommandMode::QuietInstall:
    case CommandMode::QuietUninstall:
        break;
    }
    exitCode = RunQuiet(options);
    return true;
}
