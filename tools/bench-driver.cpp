// Runs the benchmark under Wine (scripts/bench.sh starts it): the wizard's start to its first
// page and its installation from "&Install" to the end, each the median of several runs,
// beside the floor (tools/bench-floor.cpp) that makes the same calls with no window.
//   bench-driver RUNS
// Its current directory holds a driver package with PrinterSetup.exe and bench_floor.exe; the
// programs run there. Prints one line per measure: name, median and
// spread in milliseconds.
//
// The installation ends with a fixed 500 ms pause before the bar reaches 100 (the user sees
// the full bar). The program has no switch to skip it, so that nothing can change a normal
// run: the benchmark measures the whole installation and takes off the pause as this
// machine's Sleep(500) actually lasts (its median, measured here).
#include <windows.h>
#include <commctrl.h>
#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "res/resource.h"

namespace {

const char kOsCaption[] = "Select OS (x86/x64)";
const char kSettingsCaption[] = "Detail Setting (x86/x64)";
const char kPortCaption[] = "Select Port (x86/x64)";
const char kMessageCaption[] = "PrinterSetup";
char kDriver[] = "VELM58KD";
char kEnvironment[] = "Windows x64";

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct Search {
    const char* caption;
    DWORD pid;
    HWND found;
};

BOOL CALLBACK Match(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char text[128] = {};
    if (pid == search->pid && IsWindowVisible(hwnd) && GetWindowTextA(hwnd, text, sizeof(text)) &&
        std::string(text) == search->caption) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Polls every millisecond: the wait is what is measured.
HWND WaitForWindow(const char* caption, DWORD pid, double timeoutMs = 20000)
{
    double start = Now();
    while (Now() - start < timeoutMs) {
        Search search{caption, pid, nullptr};
        EnumWindows(&Match, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        Sleep(1);
    }
    return nullptr;
}

void Click(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

struct Process {
    PROCESS_INFORMATION info = {};
    bool Start(const std::string& exe, const std::string& arguments, const std::string& folder)
    {
        std::string line = "\"" + exe + "\" " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        return CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                              &info) != FALSE;
    }
    DWORD Wait()
    {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(info.hProcess, 30000) != WAIT_OBJECT_0)
            TerminateProcess(info.hProcess, 9999);
        GetExitCodeProcess(info.hProcess, &code);
        return code;
    }
    ~Process()
    {
        if (info.hProcess) {
            if (WaitForSingleObject(info.hProcess, 0) != WAIT_OBJECT_0)
                TerminateProcess(info.hProcess, 9999);
            CloseHandle(info.hProcess);
            CloseHandle(info.hThread);
        }
    }
};

// Each installation starts from a spooler without the model's printer and driver.
void RemovePrinterAndDriver()
{
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (OpenPrinterA(kDriver, &printer, &defaults)) {
        DeletePrinter(printer);
        ClosePrinter(printer);
    }
    DeletePrinterDriverA(nullptr, kEnvironment, kDriver);
}

[[noreturn]] void Abort(const char* what)
{
    std::fprintf(stderr, "bench: %s\n", what);
    std::exit(1);
}

double WizardStart(const std::string& folder)
{
    Process wizard;
    double begin = Now();
    if (!wizard.Start(folder + "\\PrinterSetup.exe", "", folder))
        Abort("cannot start PrinterSetup.exe");
    HWND page = WaitForWindow(kOsCaption, wizard.info.dwProcessId);
    double shown = Now();
    if (!page)
        Abort("no first page");
    Click(page, IDC_OS_EXIT);
    wizard.Wait();
    return shown - begin;
}

double FloorStart(const std::string& folder)
{
    Process floor;
    double begin = Now();
    if (!floor.Start(folder + "\\bench_floor.exe", "start", folder))
        Abort("cannot start bench_floor.exe");
    if (floor.Wait() != 0)
        Abort("the floor's start failed");
    return Now() - begin;
}

double WizardInstall(const std::string& folder, double pauseMs)
{
    RemovePrinterAndDriver();
    Process wizard;
    if (!wizard.Start(folder + "\\PrinterSetup.exe", "", folder))
        Abort("cannot start PrinterSetup.exe");
    DWORD pid = wizard.info.dwProcessId;
    HWND os = WaitForWindow(kOsCaption, pid);
    if (!os)
        Abort("no OS page");
    Click(os, IDC_OS_INSTALL_DRIVER);
    HWND settings = WaitForWindow(kSettingsCaption, pid);
    if (!settings)
        Abort("no printer settings page");
    Click(settings, IDC_PS_NEXT);
    HWND ports = WaitForWindow(kPortCaption, pid);
    if (!ports)
        Abort("no port page");
    HWND list = GetDlgItem(ports, IDC_PP_PORT_LIST);
    double waited = Now();
    while (SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 0 && Now() - waited < 10000)
        Sleep(1);
    double begin = Now();
    Click(ports, IDC_PP_INSTALL);
    HWND done = WaitForWindow(kMessageCaption, pid);
    double end = Now();
    if (!done)
        Abort("no message after the installation");
    if (!FindWindowExA(done, nullptr, "Static", "Completed!"))
        Abort("the installation did not complete");
    Click(done, IDOK);
    wizard.Wait();
    return end - begin - pauseMs;
}

double FloorInstall(const std::string& folder)
{
    RemovePrinterAndDriver();
    Process floor;
    if (!floor.Start(folder + "\\bench_floor.exe", "install", folder))
        Abort("cannot start bench_floor.exe");
    DWORD microseconds = floor.Wait();
    if (microseconds == 1 || microseconds == STILL_ACTIVE)
        Abort("the floor's installation failed");
    return microseconds / 1000.0;
}

struct Figures {
    double median, low, high;
};

template <typename Measure>
Figures Repeat(int runs, Measure measure)
{
    std::vector<double> values;
    for (int i = 0; i < runs; ++i)
        values.push_back(measure());
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    double median = values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
    return {median, values.front(), values.back()};
}

void Print(const char* name, const Figures& figures)
{
    std::printf("%s %.1f %.1f %.1f\n", name, figures.median, figures.low, figures.high);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        Abort("usage: bench-driver RUNS");
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    std::string folder = current;
    int runs = std::max(1, std::atoi(argv[1]));
    Figures pause = Repeat(5, [] {
        double begin = Now();
        Sleep(500);
        return Now() - begin;
    });
    // One unmeasured run of each warms Wine's caches, as a user's second start would be.
    WizardStart(folder);
    FloorStart(folder);
    Print("pause", pause);
    Print("wizard_start", Repeat(runs, [&] { return WizardStart(folder); }));
    Print("floor_start", Repeat(runs, [&] { return FloorStart(folder); }));
    Print("wizard_install", Repeat(runs, [&] { return WizardInstall(folder, pause.median); }));
    Print("floor_install", Repeat(runs, [&] { return FloorInstall(folder); }));
    RemovePrinterAndDriver();
    return 0;
}
