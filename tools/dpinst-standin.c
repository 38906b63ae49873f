/* Stand-in for the driver-package installer of the USB serial driver, so that a test
   can see which installer the wizard started: it writes "<its own path>.started"
   holding the current directory it was started in, and exits. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    char path[MAX_PATH + 16];
    char temporary[MAX_PATH + 16];
    char directory[MAX_PATH];
    DWORD written = 0;
    HANDLE marker;
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    (void)instance; (void)previous; (void)commandLine; (void)show;
    if (length == 0 || length >= MAX_PATH)
        return 1;
    lstrcpyA(temporary, path);
    lstrcatA(temporary, ".writing");
    lstrcatA(path, ".started");
    GetCurrentDirectoryA(MAX_PATH, directory);
    /* Written under another name and renamed, so that whoever waits for the marker never
       reads it half-written. */
    marker = CreateFileA(temporary, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (marker == INVALID_HANDLE_VALUE)
        return 1;
    WriteFile(marker, directory, lstrlenA(directory), &written, NULL);
    CloseHandle(marker);
    return MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
