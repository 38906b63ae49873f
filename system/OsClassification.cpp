#include "system/OsClassification.h"

int32_t g_nOsKind = kOsUnknown;

int32_t ClassifyVersionReport(const OsVersionReport& report, int32_t previous)
{
    if (report.platformId == kPlatformWin32Windows) {
        if (report.major != 4)
            return previous;
        if (report.minor == 0)
            return kOsWindows95;
        if (report.minor == 10 || report.minor == 90)
            return kOsWindows98Me;
        return previous;
    }
    if (report.platformId == kPlatformWin32NT) {
        if (report.major <= 4)
            return kOsWindowsNT4;
        if (report.major == 5) {
            switch (report.minor) {
            case 0: return kOsWindows2000;
            case 1: return kOsWindowsXP;
            case 2: return kOsWindows2003;
            default: return previous;
            }
        }
        if (report.major == 6) {
            switch (report.minor) {
            case 0: return kOsWindowsVista;
            case 1: return kOsWindows7;
            case 2: return kOsWindows8Later;
            default: return previous;  // 6.3 only reaches programs that declare it
            }
        }
        return previous;
    }
    return kOsWindows2000;
}

void ClassifyOsFrom(IVersionSource& source)
{
    OsVersionReport report;
    if (!source.Query(kVersionInfoExSize, report)) {
        // Systems before NT 4.0 SP6 refuse the extended record.
        report = OsVersionReport();
        if (!source.Query(kVersionInfoSize, report))
            return;
    }
    g_nOsKind = ClassifyVersionReport(report, g_nOsKind);
}

bool IsNtFamily(int32_t osKind)
{
    return osKind >= kOsWindowsNT4 && osKind <= kOsWindows8Later;
}
