// Whether the spooler kept an installed driver file because it is newer than the package's, by
// the rule of the running Windows. AddPrinterDriver copies only files newer than those in use
// ("AddPrinterDriverEx function", APD_COPY_NEW_FILES), so a differing installed file is either a
// newer one Windows rightly kept, or an older one it could not replace.
#pragma once
#include <cstdint>
#include <string>

#include "system/PrintPolicies.h"

// What decides "newer" for one file: its version resource and its last-write time.
struct DriverFileFacts {
    bool hasVersion = false;  // the file has a VS_FIXEDFILEINFO
    uint32_t versionMS = 0;   // dwFileVersionMS
    uint32_t versionLS = 0;   // dwFileVersionLS
    uint64_t writeTime = 0;   // last write, as a FILETIME (100 ns since 1601-01-01 UTC)
};

enum class KeptFileVerdict {
    KeptNewer,           // the installed file is newer by the system's rule: Windows kept it
    Older,               // both versioned, the installed one lower
    SameVersion,         // both versioned alike, other bytes
    NoVersion,           // one of the two has no version resource
    NotNewerByTimeStamp  // Windows 2000: the installed file is not dated later
};

// Windows 2000 (and earlier NT) decides by time stamp only; later systems by version.
bool DecidesByTimeStamp(const WindowsVersion& os);

// The verdict on an installed file whose bytes differ from the package's.
KeptFileVerdict JudgeInstalledFile(const DriverFileFacts& installed, const DriverFileFacts& package,
                                   const WindowsVersion& os);

// "0.3.19041.1", or "no version" when the file has none.
std::string VersionText(const DriverFileFacts& facts);
// "2004-08-04 12:00 UTC": a FILETIME's date, for the log.
std::string TimeStampText(uint64_t fileTime);
// How a kept or refused file's side is named: its version, or on Windows 2000 its date.
std::string FactsText(const DriverFileFacts& facts, const WindowsVersion& os);
