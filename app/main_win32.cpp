// Entry point of PrinterSetup.exe.
#include <windows.h>

#include "app/SafeDllLoading_win32.h"
#include "app/SetupApp_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // Before anything else: the program runs from a downloaded folder that may hold planted DLLs.
    RestrictDllSearchToSystemDirectory();
    theApp.InitInstance();
    return 0;
}
