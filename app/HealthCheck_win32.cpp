#include "app/HealthCheck_win32.h"

#include <windows.h>

#include <memory>

#include "app/HealthCheck.h"
#include "app/QuietMode.h"
#include "app/QuietMode_win32.h"
#include "install/InstallSystem_win32.h"
#include "install/PrinterState_win32.h"
#include "install/Uninstall_win32.h"
#include "ports/PortSpooler_win32.h"
#include "system/DesktopAccount_win32.h"
#include "system/SpoolerServiceConfig_win32.h"
#include "system/TextConversion_win32.h"
#include "win/Messages_win32.h"

namespace {

// The version resource of this program's own file; empty when it cannot be read.
std::string ProgramVersion(PackageFiles& files)
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::string ansiPath;
    DriverFileFacts facts;
    if (length == 0 || length >= MAX_PATH || !NarrowExactly(path, CP_ACP, ansiPath) ||
        files.ReadFacts(ansiPath, facts) != 0 || !facts.hasVersion)
        return std::string();
    return VersionText(facts);
}

std::string LocalTime()
{
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    char text[32] = {};
    wsprintfA(text, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
              now.wSecond);
    return text;
}

void ShowReport(const CheckReport& report)
{
    std::wstring text;
    for (const std::wstring& line : report.lines)
        text += (text.empty() ? L"" : L"\n") + line;
    const UINT icon = report.result == CheckResult::Ready         ? MB_ICONINFORMATION
                      : report.result == CheckResult::CouldNotRun ? MB_ICONERROR
                                                                  : MB_ICONEXCLAMATION;
    MessageBoxW(nullptr, text.c_str(), L"PrinterSetup", MB_OK | icon);
}

}  // namespace

int RunHealthCheckMode(const CommandLineOptions& options)
{
    std::unique_ptr<QuietLog> log = OpenQuietLog(options.logFile);
    if (!log)
        return kExitLogFailure;  // as the install mode: the record asked for cannot be kept

    Win32DriverSpooler spooler;
    Win32PackageFiles files;
    Win32PortSpooler ports;
    Win32PrinterStateReader printers;
    Win32UninstallSystem registry;
    Win32AccountQuery accounts;
    CheckSystem system{spooler, files, ports, printers, registry, CurrentHostArchitecture(), CurrentPrintPolicies()};
    system.service.error = ReadSpoolerServiceConfig(system.service.running, system.service.startType);
    system.seal = &ProgramSeal();
    system.defaultPrinter = ChooseDefaultPrinterTarget(accounts);
    system.programVersion = ProgramVersion(files);
    system.time = LocalTime();
    system.widenAnsi = WidenAnsi;
    system.errorText = [](uint32_t code) {
        std::wstring text = Win32ErrorText(code);  // FormatMessage ends its texts with a line break
        while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
            text.pop_back();
        return text;
    };

    const CheckReport report = RunHealthCheck(system);
    bool logLost = false;
    for (const std::wstring& line : report.lines)
        if (!logLost && !WriteLogLine(*log, line))
            logLost = true;
    if (!options.quiet)
        ShowReport(report);
    const int exitCode = CheckExitCode(report.result);
    return logLost && exitCode == 0 ? kExitLogFailure : exitCode;
}
