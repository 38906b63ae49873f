/* The control of the DLL-planting test: a program that imports winspool.drv, comctl32.dll
   and version.dll the ordinary way, as PrinterSetup.exe would without its safe start-up.
   Started like PrinterSetup.exe beside planted copies, it must load them: otherwise the
   planting test would prove nothing. Exit code: 0. */
#include <windows.h>
#include <commctrl.h>
#include <winspool.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
    DWORD needed = 0, returned = 0, handle = 0;
    (void)instance; (void)previous; (void)commandLine; (void)show;
    /* The calls only keep the imports; their results do not matter. */
    InitCommonControlsEx(&controls);
    EnumPortsA(NULL, 1, NULL, 0, &needed, &returned);
    GetFileVersionInfoSizeW(L"kernel32.dll", &handle);
    return 0;
}
