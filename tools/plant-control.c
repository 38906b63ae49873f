/* The control of the DLL-planting test: a program that imports winspool.drv and comctl32.dll
   the ordinary way, as PrinterSetup.exe would without its safe start-up, and loads each DLL
   named on its command line with LoadLibraryA, as a system DLL loading a helper would.
   Started like PrinterSetup.exe beside planted copies, it must load them: otherwise the
   planting test would prove nothing. Exit code: the number of named DLLs it could not load. */
#include <windows.h>
#include <commctrl.h>
#include <winspool.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
    DWORD needed = 0, returned = 0;
    int missing = 0;
    char* name = commandLine;
    (void)instance; (void)previous; (void)show;
    /* The calls only keep the imports; their results do not matter. */
    InitCommonControlsEx(&controls);
    EnumPortsA(NULL, 1, NULL, 0, &needed, &returned);
    while (*name) {
        char* end = name;
        while (*end && *end != ' ')
            ++end;
        if (*end)
            *end++ = '\0';
        if (*name && !LoadLibraryA(name))
            ++missing;
        name = end;
    }
    return missing;
}
