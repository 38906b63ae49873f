// Runs the benchmark under Wine (scripts/bench.sh starts it): the wizard's start to its first
// page and its installation from "&Install" to the end, each the median of several runs,
// beside the floor (tools/bench-floor.cpp) that makes the same calls with no window; the
// installation by the unsealed program and by the sealed one (in ..\sealed); and the
// cost of each check of the installation on its own (read-back, desktop user, broadcast, seal),
// made here with the program's own code, and the SHA-256 throughput.
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

#include "install/DriverReadBack.h"
#include "install/InstallSystem_win32.h"
#include "install/Installation.h"
#include "install/ModelCatalogue.h"
#include "install/PackageSeal.h"
#include "res/resource.h"
#include "system/DesktopAccount_win32.h"
#include "system/Sha256.h"

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

// The seal of the sealed program, read from its file as the program reads its resource.
PackageSeal SealOfSealedProgram(const std::string& folder)
{
    std::string bytes;
    HANDLE file = CreateFileA((folder + "\\PrinterSetup.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        Abort("no sealed PrinterSetup.exe");
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got != 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    const size_t at = bytes.find("PrinterSetup package seal\nformat");
    if (at == std::string::npos || at + 4096 > bytes.size())
        Abort("the sealed PrinterSetup.exe holds no seal");
    PackageSeal seal = ParsePackageSeal(bytes.data() + at, 4096);
    if (seal.state != SealState::Sealed)
        Abort("the seal of the sealed PrinterSetup.exe is not usable");
    return seal;
}

std::vector<PackageFile> X64PackageFiles()
{
    return PackageFilesFor(EnvironmentFor(HostArchitecture::X64));
}



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
    // The sealed program in a copy of the package beside this one (scripts/bench.sh makes it):
    // under the same file name, so that its message has the same caption.
    const std::string sealedFolder = folder + "\\..\\sealed";
    Print("sealed_install", Repeat(runs, [&] { return WizardInstall(sealedFolder, pause.median); }));

    // Each check alone, as the installation makes it, with the driver of the last run installed.
    const PackageSeal seal = SealOfSealedProgram(sealedFolder);
    const std::vector<PackageFile> files = X64PackageFiles();
    Win32DriverSpooler spooler;
    Win32PackageFiles packageFiles;
    auto readBack = [&](const PackageSeal* against) {
        return Repeat(runs, [&] {
            double begin = Now();
            if (VerifyInstalledDriver(spooler, packageFiles, kDriver, kEnvironment, files, against).failedStep !=
                InstallStep::None)
                Abort("the read-back failed");
            return Now() - begin;
        });
    };
    Print("check_readback_unsealed", readBack(nullptr));
    Print("check_readback_sealed", readBack(&seal));
    // The version reads of the read-back's rule for a newer file Windows kept, for every file as
    // if each differed (package and installed copy), and the check that every file the record
    // names is in the driver directory.
    char directory[MAX_PATH] = {};
    DWORD directorySize = 0;
    if (!GetPrinterDriverDirectoryA(nullptr, kEnvironment, 1, reinterpret_cast<BYTE*>(directory), sizeof(directory),
                                    &directorySize))
        Abort("no driver directory");
    Print("check_versions", Repeat(runs, [&] {
              double begin = Now();
              for (const PackageFile& file : files) {
                  DriverFileFacts facts;
                  uint64_t size = 0;
                  const std::string copy = std::string(directory) + "\\" + file.name;
                  if (packageFiles.ReadFacts(file.source, facts) != 0 ||
                      packageFiles.ReadFacts(std::string(directory) + "\\3\\" + file.name, facts) != 0 ||
                      packageFiles.CheckReadable(copy, size) != 0)
                      Abort("a driver file's version or date cannot be read");
              }
              return Now() - begin;
          }));
    Print("check_desktop_user", Repeat(runs, [] {
              double begin = Now();
              Win32AccountQuery accounts;
              ChooseDefaultPrinterTarget(accounts);
              return Now() - begin;
          }));
    Print("check_broadcast", Repeat(runs, [] {
              double begin = Now();
              Win32RegistryWriter().AnnounceSettingChange("windows");
              return Now() - begin;
          }));
    Print("check_seal", Repeat(runs, [&] {
              std::vector<std::string> paths;
              for (const PackageFile& file : files)
                  paths.push_back(file.source);
              double begin = Now();
              if (CheckPackageAgainstSeal(seal, packageFiles, paths).failedStep != InstallStep::None)
                  Abort("the package does not match the seal");
              packageFiles.ReleaseHeldFiles();
              return Now() - begin;
          }));
    // SHA-256 over 64 MB in memory, in the pieces the program reads files in.
    std::vector<char> block(64 * 1024, 'x');
    Print("sha256_mb_per_s", Repeat(3, [&] {
              double begin = Now();
              Sha256 hash;
              for (int i = 0; i < 1024; ++i)
                  hash.Add(block.data(), block.size());
              hash.Finish();
              return 64.0 * 1000.0 / (Now() - begin);
          }));
    RemovePrinterAndDriver();
    return 0;
}
