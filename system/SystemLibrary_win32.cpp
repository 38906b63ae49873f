#include "system/SystemLibrary_win32.h"

#include <string>

HMODULE LoadSystemLibrary(const wchar_t* name)
{
    wchar_t directory[MAX_PATH];
    UINT length = GetSystemDirectoryW(directory, MAX_PATH);
    if (length == 0)
        return nullptr;
    if (length >= MAX_PATH) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return nullptr;
    }
    const std::wstring path = std::wstring(directory, length) + L"\\" + name;
    // With the altered search path, the DLL's own dependencies are looked for beside it, in the
    // system directory, not beside the program.
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

FARPROC KernelFunction(const char* name)
{
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel ? GetProcAddress(kernel, name) : nullptr;
}
