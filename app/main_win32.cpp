// Entry point of PrinterSetup.exe.
#include <windows.h>

#include "app/CommandLine.h"
#include "app/QuietMode_win32.h"
#include "app/SafeDllLoading_win32.h"
#include "app/SetupApp_win32.h"
#include "app/SingleInstance_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // Before anything else: the program runs from a downloaded folder that may hold planted DLLs.
    RestrictDllSearchToSystemDirectory();
    // One copy at a time changes the spooler; the usage box may show beside a running copy.
    const std::string arguments = CommandLineArguments();
    const CommandLineOptions options = ParseCommandLine(arguments.c_str());
    SingleInstance instance;
    if (options.mode != CommandMode::Help && options.mode != CommandMode::BadArguments && !instance.Acquire()) {
        if (!options.quiet)
            ShowAlreadyRunning();
        return kExitAlreadyRunning;
    }
    // Deployment tools run the program with options and read its exit code instead.
    int exitCode = 0;
    if (RunCommandLineMode(arguments.c_str(), exitCode))
        return exitCode;
    theApp.InitInstance();
    return 0;
}
