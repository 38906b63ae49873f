#include "install/DriverFileVersion.h"
#include "system/DecimalText.h"


namespace {

// Windows' own numbers (winerror.h).
constexpr uint32_t kErrorBadExeFormat = 193;            // ERROR_BAD_EXE_FORMAT
constexpr uint32_t kErrorResourceDataNotFound = 1812;   // ERROR_RESOURCE_DATA_NOT_FOUND
constexpr uint32_t kErrorResourceTypeNotFound = 1813;   // ERROR_RESOURCE_TYPE_NOT_FOUND
constexpr uint32_t kErrorResourceNameNotFound = 1814;   // ERROR_RESOURCE_NAME_NOT_FOUND

// Whole minutes since 1601-01-01 UTC, split into a civil date and the time of day.
void CivilTime(uint64_t fileTime, int& year, int& month, int& day, int& minuteOfDay)
{
    // Days since 1601-01-01 to a civil date (Howard Hinnant's days_from_civil, inverted).
    const uint64_t minutes = fileTime / 600000000ULL;
    const int64_t days = static_cast<int64_t>(minutes / 1440) - 134774;  // 1601-01-01 .. 1970-01-01
    const int64_t z = days + 719468, era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097, yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    minuteOfDay = static_cast<int>(minutes % 1440);
}

}  // namespace

bool IsMissingVersion(uint32_t error)
{
    return error == 0 || error == kErrorResourceDataNotFound || error == kErrorResourceTypeNotFound ||
           error == kErrorResourceNameNotFound || error == kErrorBadExeFormat;
}

bool KeptByWindows(FileVerdict verdict)
{
    return verdict != FileVerdict::LowerVersion && verdict != FileVerdict::EarlierDate;
}

bool DecidesByTimeStamp(const WindowsVersion& os)
{
    // "Print driver versioning": Windows 2000 and earlier NT systems do not support driver
    // versioning; their spooler replaces a file only by its time stamp (windows-rules.md D6).
    return os.major != 0 && (os.major < 5 || (os.major == 5 && os.minor == 0));
}

FileVerdict JudgeInstalledFile(const DriverFileFacts& installed, const DriverFileFacts& package,
                               const WindowsVersion& os)
{
    // windows-rules.md D3, D4: Windows XP and later decide by version where both files carry one;
    // a lower installed version is certainly replaced, a higher or the same one is Windows' to keep.
    if (!DecidesByTimeStamp(os) && installed.hasVersion && package.hasVersion) {
        const uint64_t mine = uint64_t(installed.versionMS) << 32 | installed.versionLS;
        const uint64_t theirs = uint64_t(package.versionMS) << 32 | package.versionLS;
        return mine < theirs ? FileVerdict::LowerVersion
                             : mine > theirs ? FileVerdict::KeptHigherVersion : FileVerdict::KeptSameVersion;
    }
    // D5, D6: otherwise by date. An earlier installed file is replaced by every rule Windows may
    // apply (SetupAPI's counts the package's as newer, the time stamp says so too); a later one
    // or one of the same time only by SetupAPI's, which is not the spooler's documented rule.
    return installed.writeTime < package.writeTime ? FileVerdict::EarlierDate : FileVerdict::KeptDate;
}

std::string VersionText(const DriverFileFacts& facts)
{
    if (!facts.hasVersion)
        return "no version";
    return std::to_string(facts.versionMS >> 16) + "." + std::to_string(facts.versionMS & 0xFFFF) + "." +
           std::to_string(facts.versionLS >> 16) + "." + std::to_string(facts.versionLS & 0xFFFF);
}

std::string DateText(uint64_t fileTime, bool withTime)
{
    int year = 0, month = 0, day = 0, minute = 0;
    CivilTime(fileTime, year, month, day, minute);
    const std::string date = PaddedDecimal(year, 4) + "-" + PaddedDecimal(month, 2) + "-" + PaddedDecimal(day, 2);
    if (!withTime)
        return date;
    return date + " " + PaddedDecimal(minute / 60, 2) + ":" + PaddedDecimal(minute % 60, 2) + " UTC";
}

void DatesOfBoth(uint64_t first, uint64_t second, std::string& firstText, std::string& secondText)
{
    firstText = DateText(first);
    secondText = DateText(second);
    if (firstText == secondText && first != second) {
        firstText = DateText(first, true);
        secondText = DateText(second, true);
    }
}
