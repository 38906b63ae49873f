#include <windows.h>

#include "install/InstallSystem_win32.h"

bool Win32PackageFiles::Exists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

uint32_t Win32PackageFiles::Copy(const std::string& from, const std::string& to)
{
    if (CopyFileA(from.c_str(), to.c_str(), FALSE))
        return 0;
    DWORD error = GetLastError();
    return error != 0 ? error : ERROR_GEN_FAILURE;
}
