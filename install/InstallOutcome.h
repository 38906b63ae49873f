// What an installation run reports back to the page that started it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "install/DriverFileVersion.h"
#include "system/PrintPolicies.h"
#include "system/SpoolerService.h"

enum class InstallStep {
    None,
    ProtectedPrint,   // Windows protected print mode is on: no driver of ours may be installed; nothing was changed
    CheckPort,        // the port name was refused before anything changed
    CheckModel,       // the model selection names no model; nothing was changed
    CheckPackage,     // package files are missing or empty; nothing was changed
    NoDriverForHost,  // the package has no driver folder for this system (ARM64); nothing was changed
    ReadPackage,      // a package file is there but cannot be read; nothing was changed
    CheckSeal,        // a package file is not the one the program was sealed with; nothing was changed
    DriverDirectory,  // the spooler did not name its driver directory
    CopyFile,         // copying one package file into the driver directory
    RegisterDriver,   // AddPrinterDriver
    VerifyDriver,     // the files the spooler registered are not the package's; no printer was touched
    AddPrinter,       // AddPrinter
    UpdatePrinter,    // the printer was there already and could not be put on the chosen port
    CheckDriverFiles, // a file the driver record names is not in the driver directory; nothing was registered
};

// What the read-back of the registered driver found wrong, for VerifyDriver.
enum class InstalledFileProblem {
    None,
    DriverNotReported,  // the spooler does not report the driver it has just registered
    NotRegistered,      // a package file is not among the registered files (subject: its name)
    Missing,            // a registered file is not there
    Unreadable,         // a registered file cannot be read
    SizeDiffers,        // the installed file and the package's copy differ in size
    ContentDiffers,     // same size, other bytes
};

// What became of a driver that Windows warns about (ERROR_PRINTER_DRIVER_WARNED).
enum class WarnedDriver {
    NotWarned,
    Declined,     // the user was asked and chose not to install it
    NobodyToAsk,  // an unattended run: no one could be asked, so it was not installed
    Accepted,     // the user chose to install it anyway, and it was retried
};

// What the installation did about "Let Windows manage my default printer" (Windows 10 and later).
enum class DefaultPrinterMode {
    Untouched,        // no default printer set, or Windows before 10
    AlreadyUserManaged,  // LegacyDefaultPrinterMode was 1 already
    SetToUserManaged,    // set to 1 by this installation (legacyModeBefore: what it was)
    NotADword,           // a value of another type is there: left as it is
};

// Why the seal refused a package file, for CheckSeal.
enum class SealProblem {
    None,
    NotInSeal,       // the seal has no entry for the file
    SizeDiffers,     // the file's size is not the sealed one
    ContentDiffers,  // same size, another SHA-256
    SealDamaged,     // the seal itself is damaged (subject: what is wrong); every file is refused
};

// A driver file whose installed copy is not the package's: the version and date of both, and
// how they stand by Windows' rules (a copy Windows kept, or an older one left in place).
struct DifferingDriverFile {
    std::string name;
    DriverFileFacts installed, package;
    FileVerdict verdict = FileVerdict::KeptDate;
};

// A file of the driver left out: not in the package's driver folder, or (a sealed program) not
// among the files it was released with.
struct LeftOutFile {
    std::string name;
    bool notSealed = false;
};

struct InstallOutcome {
    bool succeeded = false;
    InstallStep failedStep = InstallStep::None;
    uint32_t errorCode = 0;                 // the Win32 error of the failed call, 0 when none applies
    std::string subject;                    // the file or name the failed step worked on (ANSI)
    std::string target;                     // CopyFile: the destination of the failed copy; VerifyDriver:
                                            // the package's copy (ANSI)
    std::vector<std::string> missingFiles;  // CheckPackage: every package file that is missing
    std::vector<std::string> emptyFiles;    // CheckPackage: every package file of 0 bytes
    InstalledFileProblem fileProblem = InstalledFileProblem::None;  // VerifyDriver
    SealProblem sealProblem = SealProblem::None;                    // CheckSeal
    bool printerExisted = false;            // a printer of that name was there already: a repair
    bool driverExisted = false;             // the spooler kept a driver of that name already
    bool registryWriteFailed = false;       // a registry setting could not be written (already shown)
    ProtectedPrint protectedPrint = ProtectedPrint::Off;  // ProtectedPrint: what turned the mode on
    // RegisterDriver: the driver policies set when the spooler refused, the answer about a warned
    // driver, and whether the refusal came while the program ran elevated.
    DriverPolicies driverPolicies;
    WarnedDriver warnedDriver = WarnedDriver::NotWarned;
    bool elevated = false;
    DefaultPrinterMode defaultPrinterMode = DefaultPrinterMode::Untouched;
    std::string legacyModeBefore;  // SetToUserManaged: the value before ("absent" or its number)
    // Installed files that are not the package's because Windows chose to keep them (the spooler
    // copies only newer files): not a failure, named with both versions or dates.
    std::vector<DifferingDriverFile> keptFiles;
    // Files the record names only when the package has them, left out of the copy and the record.
    std::vector<LeftOutFile> leftOutFiles;
    // VerifyDriver on an installed file with other bytes: the older copy left in place, against
    // the package's (no name: the file is the package's own, but not the one the program was
    // released with).
    DifferingDriverFile olderFile;
    // What the Print Spooler service was found in after a spooler call failed.
    SpoolerServiceCheck spoolerService;
};
