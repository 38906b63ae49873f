/* A stand-in for a DLL that someone planted beside a downloaded program or in its current
   folder. When a process loads it, it writes "<its own path>.loaded" holding the path of
   the program that loaded it: a test then sees which planted copy, if any, was loaded.
   It exports a few names of the real DLLs it stands in for, so that a program that imports
   them from it still starts (and so shows that the plant works). */
#include <windows.h>

static void LeaveMarker(HINSTANCE self)
{
    WCHAR path[MAX_PATH + 16];
    WCHAR program[MAX_PATH];
    DWORD written = 0;
    HANDLE marker;
    DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    DWORD programLength = GetModuleFileNameW(NULL, program, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || programLength == 0 || programLength >= MAX_PATH)
        return;
    lstrcatW(path, L".loaded");
    marker = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (marker == INVALID_HANDLE_VALUE)
        return;
    WriteFile(marker, program, programLength * sizeof(WCHAR), &written, NULL);
    CloseHandle(marker);
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        LeaveMarker(self);
    return TRUE;
}

/* Failing versions of what the control program imports. */
__declspec(dllexport) BOOL WINAPI EnumPortsA(LPSTR name, DWORD level, LPBYTE ports, DWORD size, LPDWORD needed,
                                             LPDWORD returned)
{
    (void)name; (void)level; (void)ports; (void)size; (void)needed; (void)returned;
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

__declspec(dllexport) BOOL WINAPI InitCommonControlsEx(const void* controls)
{
    (void)controls;
    return FALSE;
}
