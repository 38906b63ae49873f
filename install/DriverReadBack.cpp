#include "install/DriverReadBack.h"

#include "install/DriverFileVersion.h"
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

// The version and date of a file. A missing version resource is "no version"; any other failure
// to read the version or the date is the read's own error (windows-rules.md D7).
uint32_t ReadComparableFacts(PackageFiles& files, const std::string& path, DriverFileFacts& facts)
{
    if (uint32_t error = files.ReadFacts(path, facts))
        return error;
    return facts.hasVersion || IsMissingVersion(facts.versionError) ? 0 : facts.versionError;
}

}  // namespace

std::string FileNameOf(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

InstallOutcome VerifyInstalledDriver(DriverSpooler& spooler, PackageFiles& files, const std::string& driverName,
                                     const std::string& environment, const std::vector<PackageFile>& package,
                                     const PackageSeal* seal, const WindowsVersion& os)
{
    InstalledDriverFiles registered;
    if (uint32_t error = spooler.GetInstalledDriver(driverName, environment, registered))
        return Problem(InstalledFileProblem::DriverNotReported, driverName, std::string(), error);

    std::vector<std::string> paths = {registered.driverPath, registered.dataFile, registered.configFile,
                                      registered.helpFile};
    paths.insert(paths.end(), registered.dependentFiles.begin(), registered.dependentFiles.end());

    std::vector<DifferingDriverFile> kept;
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
        if (actual.size == expected.size && actual.digest == expected.digest)
            continue;
        InstallOutcome problem = Problem(actual.size != expected.size ? InstalledFileProblem::SizeDiffers
                                                                      : InstalledFileProblem::ContentDiffers,
                                         *installed, file.source);
        // A sealed program's copy that is the package's file as it is now, not as it was released:
        // what was copied changed after its check (holding it prevents that on Windows), and
        // nothing Windows chose.
        FileFingerprint current;
        if (sealed != nullptr && FingerprintOf(files, file.source, false, current) == 0 &&
            current.size == actual.size && current.digest == actual.digest)
            return problem;
        // Only a file whose bytes differ is looked at again: its version and date against the
        // package's, as the spooler decided whether to replace it.
        DifferingDriverFile differing{file.name, {}, {}};
        if (uint32_t error = ReadComparableFacts(files, *installed, differing.installed))
            return Problem(InstalledFileProblem::Unreadable, *installed, file.source, error);
        if (uint32_t error = ReadComparableFacts(files, file.source, differing.package))
            return Problem(InstalledFileProblem::Unreadable, file.source, file.source, error);
        differing.verdict = JudgeInstalledFile(differing.installed, differing.package, os);
        if (KeptByWindows(differing.verdict)) {
            kept.push_back(differing);
            continue;
        }
        problem.olderFile = differing;
        return problem;
    }
    InstallOutcome verified;
    verified.keptFiles = kept;
    return verified;
}

int PickRegisteredEntry(const std::vector<uint32_t>& versions, uint32_t registered)
{
    int highest = -1;
    for (size_t i = 0; i < versions.size(); ++i) {
        if (versions[i] == registered)
            return static_cast<int>(i);
        if (highest < 0 || versions[i] > versions[static_cast<size_t>(highest)])
            highest = static_cast<int>(i);
    }
    return highest;
}
