// The version report, from the running Windows.
#include <windows.h>

#include "system/OsClassification.h"

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
