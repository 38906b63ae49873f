// The version report and the 64-bit test, from the running Windows.
#include <windows.h>

#include "install/OsClassification.h"

namespace {

class Win32VersionSource : public IVersionSource {
public:
    bool Query(uint32_t recordSize, OsVersionReport& report) override
    {
        OSVERSIONINFOEXA info;
        ZeroMemory(&info, sizeof(info));
        info.dwOSVersionInfoSize = recordSize;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info)))
            return false;
#pragma GCC diagnostic pop
        report.platformId = info.dwPlatformId;
        report.major = info.dwMajorVersion;
        report.minor = info.dwMinorVersion;
        return true;
    }
};

}  // namespace

void ClassifyOs()
{
    Win32VersionSource source;
    ClassifyOsFrom(source);
}

bool IsWow64Host()
{
#ifdef _WIN64
    // A 64-bit program only runs on a 64-bit Windows, where IsWow64Process says FALSE.
    return true;
#else
    typedef BOOL(WINAPI * IsWow64ProcessFn)(HANDLE, PBOOL);
    // Looked up at run time: Windows before XP SP2 has no such function.
    HMODULE kernel = GetModuleHandleA("kernel32");
    IsWow64ProcessFn isWow64Process =
        kernel ? reinterpret_cast<IsWow64ProcessFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")))
               : nullptr;
    if (!isWow64Process)
        return false;
    BOOL flag = FALSE;
    isWow64Process(GetCurrentProcess(), &flag);
    return flag == TRUE;
#endif
}
