#include "install/DriverReadBack.h"

#include "system/TextCompare.h"
#include "system/Win32ErrorCodes.h"

namespace {

InstallOutcome Problem(InstalledFileProblem problem, const std::string& installed, const std::string& package,
                       uint32_t error = 0)
{
    InstallOutcome outcome;
    outcome.failedStep = InstallStep::VerifyDriver;
    outcome.fileProblem = problem;
    outcome.subject = installed;
    outcome.target = package;
    outcome.errorCode = error;
    return outcome;
}

}  // namespace

std::string FileNameOf(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

InstallOutcome VerifyInstalledDriver(DriverSpooler& spooler, PackageFiles& files, const std::string& driverName,
                                     const std::string& environment, const std::vector<PackageFile>& package,
                                     const PackageSeal* seal)
{
    InstalledDriverFiles registered;
    if (uint32_t error = spooler.GetInstalledDriver(driverName, environment, registered))
        return Problem(InstalledFileProblem::DriverNotReported, driverName, std::string(), error);

    std::vector<std::string> paths = {registered.driverPath, registered.dataFile, registered.configFile,
                                      registered.helpFile};
    paths.insert(paths.end(), registered.dependentFiles.begin(), registered.dependentFiles.end());

    for (const PackageFile& file : package) {
        const std::string* installed = nullptr;
        for (const std::string& path : paths)
            if (SameTextIgnoringCase(FileNameOf(path), file.name)) {
                installed = &path;
                break;
            }
        if (installed == nullptr)
            return Problem(InstalledFileProblem::NotRegistered, file.name, file.source);

        const SealedFile* sealed =
            seal != nullptr && seal->state == SealState::Sealed ? seal->Find(file.source) : nullptr;
        FileFingerprint expected, actual;
        if (sealed != nullptr) {
            expected.size = sealed->size;
            expected.digest = sealed->digest;
        } else if (uint32_t error = FingerprintOf(files, file.source, false, expected)) {
            return Problem(InstalledFileProblem::Unreadable, file.source, file.source, error);
        }
        if (uint32_t error = FingerprintOf(files, *installed, false, actual)) {
            const bool gone = error == kErrorFileNotFound || error == kErrorPathNotFound;
            return Problem(gone ? InstalledFileProblem::Missing : InstalledFileProblem::Unreadable, *installed,
                           file.source, gone ? 0 : error);
        }
        if (actual.size != expected.size)
            return Problem(InstalledFileProblem::SizeDiffers, *installed, file.source);
        if (actual.digest != expected.digest)
            return Problem(InstalledFileProblem::ContentDiffers, *installed, file.source);
    }
    return InstallOutcome();
}
