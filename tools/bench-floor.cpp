// The floor of the benchmark: a bare program that makes the wizard's spooler, file and
// registry calls with no window, so the benchmark can show what the wizard adds to them.
//   bench-floor start     does what the wizard does before its first page (the version
//                         report and the 64-bit test) and ends
//   bench-floor install   the installation's calls, run from a driver package in the current
//                         directory: driver directory, the package's copies, the level-3 driver, the
//                         level-2 printer, the "Device" value
// Exit code: for install, the microseconds the calls took (measured here, no pause); for
// start, 0; 1 when a call failed (with its error on stderr).
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "PackageFileList.h"  // kPackageDriverFiles: install/package-files.txt

namespace {

char kEnvironment[] = "Windows x64";
char kDriver[] = "VELM58KD";

int Fail(const char* what)
{
    std::fprintf(stderr, "%s failed: %lu\n", what, GetLastError());
    return 1;
}

int Start()
{
    OSVERSIONINFOEXA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version));
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    return 0;
}

int Install()
{
    LARGE_INTEGER frequency, begin, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);

    char directory[MAX_PATH] = {};
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryA(nullptr, kEnvironment, 1, reinterpret_cast<BYTE*>(directory), sizeof(directory),
                                    &needed))
        return Fail("GetPrinterDriverDirectoryA");
    for (const char* name : kPackageDriverFiles) {
        std::string source = std::string("Printer Driver\\x64\\") + name;
        if (GetFileAttributesA(source.c_str()) == INVALID_FILE_ATTRIBUTES)
            return Fail(source.c_str());
    }
    for (const char* name : kPackageDriverFiles) {
        std::string source = std::string("Printer Driver\\x64\\") + name;
        if (!CopyFileA(source.c_str(), (std::string(directory) + "\\" + name).c_str(), FALSE))
            return Fail("CopyFileA");
    }
    char dependent[255] = {};
    size_t at = 0;
    for (const char* name : {"\\ttfsub.GPD", "\\unires.DLL", "\\stdnames.GPD", "\\KAPLINX.ini", "\\KAPLINX.dll"}) {
        std::strcpy(dependent + at, name);
        at += std::strlen(name) + 1;
    }
    std::strcpy(dependent + 64, "QRX58.DLL");
    DRIVER_INFO_3A driver = {};
    driver.cVersion = 2;
    driver.pName = kDriver;
    driver.pEnvironment = kEnvironment;
    driver.pDriverPath = const_cast<char*>("\\uniDRV.DLL");
    driver.pDataFile = const_cast<char*>("\\VELM58KD.GPD");
    driver.pConfigFile = const_cast<char*>("\\uniDRVui.DLL");
    driver.pHelpFile = const_cast<char*>("\\uniDRV.HLP");
    driver.pDependentFiles = dependent;
    driver.pMonitorName = const_cast<char*>("");
    driver.pDefaultDataType = const_cast<char*>("RAW");
    if (!AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&driver)))
        return Fail("AddPrinterDriverA");
    PRINTER_INFO_2A printer = {};
    printer.pPrinterName = kDriver;
    printer.pPortName = const_cast<char*>("LPT1:");
    printer.pDriverName = kDriver;
    printer.pPrintProcessor = const_cast<char*>("WinPrint");
    printer.pDatatype = const_cast<char*>("RAW");
    HANDLE handle = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&printer));
    if (!handle)
        return Fail("AddPrinterA");
    ClosePrinter(handle);
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return Fail("RegCreateKeyExA");
    const char device[] = "VELM58KD,winspool,LPT1:";
    LONG written = RegSetValueExA(key, "Device", 0, REG_SZ, reinterpret_cast<const BYTE*>(device), sizeof(device));
    RegCloseKey(key);
    if (written != ERROR_SUCCESS)
        return Fail("RegSetValueExA");

    QueryPerformanceCounter(&end);
    return static_cast<int>((end.QuadPart - begin.QuadPart) * 1000000 / frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "start") == 0)
        return Start();
    if (argc == 2 && std::strcmp(argv[1], "install") == 0)
        return Install();
    std::fprintf(stderr, "usage: bench-floor start|install\n");
    return 2;
}
