#include <windows.h>

#include "install/InstallSystem_win32.h"

namespace {

uint32_t LastErrorOr(DWORD fallback)
{
    DWORD error = GetLastError();
    return error != 0 ? error : fallback;
}

// Larger than any driver file; a size beyond it is not read into memory.
constexpr LONGLONG kMaxReadSize = 256LL * 1024 * 1024;

}  // namespace

uint32_t Win32PackageFiles::CheckReadable(const std::string& path, uint64_t& size)
{
    // The sharing CopyFile asks for its source: a file another program holds open for
    // writing fails here, before any copy has been made.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return LastErrorOr(ERROR_GEN_FAILURE);
    LARGE_INTEGER length = {};
    uint32_t error = GetFileSizeEx(file, &length) ? 0 : LastErrorOr(ERROR_GEN_FAILURE);
    CloseHandle(file);
    size = error == 0 ? static_cast<uint64_t>(length.QuadPart) : 0;
    return error;
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
    return LastErrorOr(ERROR_GEN_FAILURE);
}

uint32_t Win32PackageFiles::ReadAll(const std::string& path, std::string& bytes)
{
    bytes.clear();
    // The spooler and printing programs keep driver files open for reading; share with them.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return LastErrorOr(ERROR_GEN_FAILURE);
    uint32_t error = 0;
    LARGE_INTEGER length = {};
    if (!GetFileSizeEx(file, &length))
        error = LastErrorOr(ERROR_GEN_FAILURE);
    else if (length.QuadPart > kMaxReadSize)
        error = ERROR_FILE_TOO_LARGE;
    else {
        bytes.resize(static_cast<size_t>(length.QuadPart));
        size_t done = 0;
        while (done < bytes.size()) {
            DWORD got = 0;
            if (!ReadFile(file, &bytes[done], static_cast<DWORD>(bytes.size() - done), &got, nullptr)) {
                error = LastErrorOr(ERROR_READ_FAULT);
                break;
            }
            if (got == 0)
                break;  // shorter than its size said: what was read is what is compared
            done += got;
        }
        bytes.resize(done);
    }
    CloseHandle(file);
    if (error != 0)
        bytes.clear();
    return error;
}
