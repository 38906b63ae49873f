#include <windows.h>
#include <winver.h>

#include "install/InstallSystem_win32.h"

namespace {

uint32_t LastErrorOr(DWORD fallback)
{
    DWORD error = GetLastError();
    return error != 0 ? error : fallback;
}

// The piece each read asks for: a few calls for a driver file, constant memory for any size.
constexpr DWORD kPieceSize = 64 * 1024;

uint32_t ReadThrough(HANDLE file, const FilePieces& pieces)
{
    std::vector<char> buffer(kPieceSize);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, buffer.data(), kPieceSize, &got, nullptr))
            return LastErrorOr(ERROR_READ_FAULT);
        if (got == 0)
            return 0;
        pieces(buffer.data(), got);
    }
}

uint32_t OpenAndRead(const std::string& path, DWORD sharing, const FilePieces& pieces, HANDLE& file)
{
    file = CreateFileA(path.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return LastErrorOr(ERROR_GEN_FAILURE);
    return ReadThrough(file, pieces);
}

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

uint32_t Win32PackageFiles::Read(const std::string& path, const FilePieces& pieces)
{
    // The spooler and printing programs keep driver files open for reading; share with them.
    HANDLE file = INVALID_HANDLE_VALUE;
    const uint32_t error = OpenAndRead(path, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, pieces, file);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return error;
}

uint32_t Win32PackageFiles::HoldAndRead(const std::string& path, const FilePieces& pieces)
{
    // Readers only: CopyFile opens its source, and CreateProcess an executable, for reading
    // and sharing it with us, so both still work; a writer, a rename (it needs delete access)
    // or a delete fails while the file is held, and a program that had it open for writing
    // already makes this open fail. On Windows, a folder that holds an open file cannot be
    // renamed either, so the path keeps naming this file.
    HANDLE file = INVALID_HANDLE_VALUE;
    const uint32_t error = OpenAndRead(path, FILE_SHARE_READ, pieces, file);
    if (file != INVALID_HANDLE_VALUE)
        m_held.push_back(file);
    return error;
}

void Win32PackageFiles::ReleaseHeldFiles()
{
    for (void* file : m_held)
        CloseHandle(file);
    m_held.clear();
}

uint32_t Win32PackageFiles::ReadFacts(const std::string& path, DriverFileFacts& facts)
{
    facts = DriverFileFacts();
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return LastErrorOr(ERROR_GEN_FAILURE);
    facts.writeTime = static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
    // version.dll (delay-loaded from the system folder). A size of 0 is a file without a version
    // resource (or no executable at all, as a GPD), or a read that failed: the error tells which
    // (IsMissingVersion), and the read-back decides on it.
    DWORD unused = 0;
    SetLastError(0);
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &unused);
    if (size == 0) {
        facts.versionError = GetLastError();
        return 0;
    }
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) {
        facts.versionError = LastErrorOr(ERROR_GEN_FAILURE);
        return 0;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    char root[] = "\\";
    if (!VerQueryValueA(block.data(), root, reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr ||
        length < sizeof(VS_FIXEDFILEINFO) || fixed->dwSignature != 0xFEEF04BD)
        return 0;  // a version block without its fixed part: no version to compare
    facts.hasVersion = true;
    facts.versionMS = fixed->dwFileVersionMS;
    facts.versionLS = fixed->dwFileVersionLS;
    return 0;
}
