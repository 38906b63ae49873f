#include "install/DriverFileVersion.h"

#include <cstdio>

bool DecidesByTimeStamp(const WindowsVersion& os)
{
    // "Print driver versioning": Windows 2000 and earlier NT systems do not support driver
    // versioning; their spooler replaces a file only by its time stamp. An unknown version
    // (0) is taken as a later system.
    return os.major != 0 && (os.major < 5 || (os.major == 5 && os.minor == 0));
}

KeptFileVerdict JudgeInstalledFile(const DriverFileFacts& installed, const DriverFileFacts& package,
                                   const WindowsVersion& os)
{
    if (DecidesByTimeStamp(os))
        return installed.writeTime > package.writeTime ? KeptFileVerdict::KeptNewer
                                                       : KeptFileVerdict::NotNewerByTimeStamp;
    // "File version comparisons" (SetupAPI): when either file has no version resource, or both
    // have the same, the source counts as newer and is copied; so such a file is not one
    // Windows kept, but one it could not replace.
    if (!installed.hasVersion || !package.hasVersion)
        return KeptFileVerdict::NoVersion;
    const uint64_t mine = uint64_t(installed.versionMS) << 32 | installed.versionLS;
    const uint64_t theirs = uint64_t(package.versionMS) << 32 | package.versionLS;
    if (mine == theirs)
        return KeptFileVerdict::SameVersion;
    return mine > theirs ? KeptFileVerdict::KeptNewer : KeptFileVerdict::Older;
}

std::string VersionText(const DriverFileFacts& facts)
{
    if (!facts.hasVersion)
        return "no version";
    return std::to_string(facts.versionMS >> 16) + "." + std::to_string(facts.versionMS & 0xFFFF) + "." +
           std::to_string(facts.versionLS >> 16) + "." + std::to_string(facts.versionLS & 0xFFFF);
}

std::string TimeStampText(uint64_t fileTime)
{
    // Days since 1601-01-01 to a civil date (Howard Hinnant's days_from_civil, inverted).
    const uint64_t minutes = fileTime / 600000000ULL;
    const int64_t days = static_cast<int64_t>(minutes / 1440) - 134774;  // 1601-01-01 .. 1970-01-01
    const int64_t z = days + 719468, era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097, yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
    const int64_t day = doy - (153 * mp + 2) / 5 + 1, month = mp < 10 ? mp + 3 : mp - 9;
    const int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d UTC", static_cast<int>(year), static_cast<int>(month),
                  static_cast<int>(day), static_cast<int>(minutes % 1440 / 60), static_cast<int>(minutes % 60));
    return text;
}

std::string FactsText(const DriverFileFacts& facts, const WindowsVersion& os)
{
    return DecidesByTimeStamp(os) ? "dated " + TimeStampText(facts.writeTime) : VersionText(facts);
}
