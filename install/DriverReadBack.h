// After the driver's registration: what the spooler registered, read back and compared file by
// file with the package. A spooler can report success while an older file stays in the driver's
// version folder (a file in use on Windows; Wine's spooler fails its own copy and answers
// success), and a printer on such a driver would print with the old file.
#pragma once
#include <string>
#include <vector>

#include "install/DriverSpooler.h"
#include "install/InstallOutcome.h"
#include "install/Installation.h"
#include "install/PackageFiles.h"
#include "install/PackageSeal.h"

// The file name after the last backslash or slash (the whole path when there is none).
std::string FileNameOf(const std::string& path);

// Every package file must be among the registered files (matched by file name, ignoring case)
// and equal, in size and SHA-256, the seal's record of it (a sealed program) or the package's
// copy (an unsealed one), unless the installed file is one Windows chose to keep by the rules of
// `os` (DriverFileVersion.h): the seal covers what the package gives, not what Windows keeps.
// Files are read in pieces: any size, constant memory. Registered files that the package does not
// ship are not checked. Answers the first problem: failedStep VerifyDriver, the installed path in
// `subject`, the package's file in `target`, an older copy left in place in `olderFile`; an
// outcome with failedStep None when all match, its keptFiles naming each file Windows kept.
InstallOutcome VerifyInstalledDriver(DriverSpooler& spooler, PackageFiles& files, const std::string& driverName,
                                     const std::string& environment, const std::vector<PackageFile>& package,
                                     const PackageSeal* seal = nullptr, const WindowsVersion& os = WindowsVersion());

// Of the spooler's entries for one driver name (one per driver version, in `versions`), the index
// of the one registered with `registered`; when none has that version, the highest version's
// (the spooler may file a driver under the version its files carry). -1: no entries.
int PickRegisteredEntry(const std::vector<uint32_t>& versions, uint32_t registered);
