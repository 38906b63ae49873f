// Entry point of PrinterSetup.exe.
#include <windows.h>

#include "app/SetupApp_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    theApp.InitInstance();
    return 0;
}
