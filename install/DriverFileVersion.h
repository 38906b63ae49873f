// How an installed driver file whose bytes differ from the package's copy stands against it, by
// the rules Windows replaces driver files by (docs/windows-rules.md, "Driver files"). The
// spooler copies only files newer than those in use (APD_COPY_NEW_FILES), so such a file is
// either one Windows chose to keep or an older one it could not replace. Only where every rule
// Windows may apply would certainly have replaced it is it an old copy left in place; what
// Windows does in the other cases is not documented, and a guess never fails an installation.
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
    // Without a version: Windows' error of the version read (0: none reported). Only the errors
    // of a missing version resource mean "no version" (IsMissingVersion).
    uint32_t versionError = 0;
};

// True for the errors Windows gives for a file that has no version resource, or is no
// executable at all (a GPD): ERROR_RESOURCE_DATA_NOT_FOUND, ERROR_RESOURCE_TYPE_NOT_FOUND,
// ERROR_RESOURCE_NAME_NOT_FOUND, ERROR_BAD_EXE_FORMAT, and 0. Any other error (a sharing
// violation, access denied) is a version that could not be read (docs/windows-rules.md D7).
bool IsMissingVersion(uint32_t error);

enum class FileVerdict {
    LowerVersion,        // both versioned, the installed one lower: an old copy left in place
    EarlierDate,         // decided by date, the installed one dated earlier: an old copy left in place
    KeptHigherVersion,   // both versioned, the installed one higher: Windows' choice
    KeptSameVersion,     // both versioned alike, other bytes: Windows' choice
    KeptDate,            // decided by date, the installed one dated later or at the same time: Windows' choice
};

// Windows chose to keep the installed file: accepted and named, never a failure.
bool KeptByWindows(FileVerdict verdict);

// Windows 2000 (and earlier NT) decides by time stamp only; later systems by version. An
// unknown version (0) is taken as a later system.
bool DecidesByTimeStamp(const WindowsVersion& os);

// The verdict on an installed file whose bytes differ from the package's: by version where both
// carry one (Windows XP and later), otherwise by last-write time.
FileVerdict JudgeInstalledFile(const DriverFileFacts& installed, const DriverFileFacts& package,
                               const WindowsVersion& os);

// "0.3.19041.1", or "no version" when the file has none.
std::string VersionText(const DriverFileFacts& facts);
// "2024-02-29": a FILETIME's date (UTC); with `withTime`, "2024-02-29 23:59 UTC".
std::string DateText(uint64_t fileTime, bool withTime = false);
// The dates of two files, each with its time of day when the two fall on the same day but differ.
void DatesOfBoth(uint64_t first, uint64_t second, std::string& firstText, std::string& secondText);
