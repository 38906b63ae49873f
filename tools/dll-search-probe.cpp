// Probe for the DLL-planting test: shows what the start-up's search restriction and the
// delay-load hook do to DLL loading, in a process of its own (the restriction is process-wide
// and cannot be undone, so the test process itself must not make it).
//   dll-search-probe none NAME      LoadLibraryA(NAME) with the ordinary search
//   dll-search-probe restrict NAME  the same after RestrictDllSearchToSystemDirectory()
//   dll-search-probe delayload      calls the delay-loaded EnumPortsA and GetFileVersionInfoSizeA with no restriction
//   dll-search-probe missing-dll    calls a delay-loaded function of a DLL no system has
//   dll-search-probe missing-function  calls a delay-loaded spooler function none exports
// Exit code: 0 the DLL was not loaded (or, for delayload, came from the system directory),
// 1 it was loaded (delayload: from elsewhere), 2 bad arguments, 3 the restriction failed.
// The two missing-... modes never return: the delay-load hooks show a message and exit with 1.
#include <windows.h>
#include <winspool.h>
#include <winver.h>

#include <cstring>
#include <string>

#include "app/SafeDllLoading_win32.h"

extern "C" void WINAPI NoSuchFunction();         // in nosuch.dll (tools/delayload/probe)
extern "C" void WINAPI NoSuchSpoolerFunction();  // "in" winspool.drv

namespace {

int LoadResult(const char* name)
{
    HMODULE module = LoadLibraryA(name);
    return module ? 1 : 0;
}

bool LoadedFromSystemDirectory(const char* name)
{
    HMODULE module = GetModuleHandleA(name);
    char path[MAX_PATH] = {}, system[MAX_PATH] = {};
    if (!module || !GetModuleFileNameA(module, path, MAX_PATH) || !GetSystemDirectoryA(system, MAX_PATH))
        return false;
    std::string folder(path);
    folder = folder.substr(0, folder.find_last_of('\\'));
    return lstrcmpiA(folder.c_str(), system) == 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    std::string arguments(commandLine);
    std::string mode = arguments.substr(0, arguments.find(' '));
    std::string name = arguments.find(' ') == std::string::npos ? "" : arguments.substr(arguments.find(' ') + 1);
    if (mode == "delayload") {
        DWORD needed = 0, returned = 0;
        EnumPortsA(nullptr, 1, nullptr, 0, &needed, &returned);
        // version.dll the same way (under Wine it is loaded before the program starts: see
        // tests/wine/DllPlantingTest.cpp, so there this shows the delay-load path works).
        char self[MAX_PATH] = {};
        DWORD unused = 0;
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        GetFileVersionInfoSizeA(self, &unused);
        return LoadedFromSystemDirectory("winspool.drv") && LoadedFromSystemDirectory("version.dll") ? 0 : 1;
    }
    if (mode == "missing-dll") {
        NoSuchFunction();
        return 4;
    }
    if (mode == "missing-function") {
        NoSuchSpoolerFunction();
        return 4;
    }
    if (name.empty())
        return 2;
    if (mode == "none")
        return LoadResult(name.c_str());
    if (mode == "restrict")
        return RestrictDllSearchToSystemDirectory() == DllSearch::SystemDirectoryOnly ? LoadResult(name.c_str()) : 3;
    return 2;
}
