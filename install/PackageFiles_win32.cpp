#include <windows.h>

#include "install/InstallSystem_win32.h"

uint32_t Win32PackageFiles::CheckReadable(const std::string& path)
{
    // The sharing CopyFile asks for its source: a file another program holds open for
    // writing fails here, before any copy has been made.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error != 0 ? error : ERROR_GEN_FAILURE;
    }
    CloseHandle(file);
    return 0;
}

bool Win32PackageFiles::HasFolder(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

uint32_t Win32PackageFiles::Copy(const std::string& from, const std::string& to)
{
    if (CopyFileA(from.c_str(), to.c_str(), FALSE))
        return 0;
    DWORD error = GetLastError();
    return error != 0 ? error : ERROR_GEN_FAILURE;
}
