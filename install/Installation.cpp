#include "install/Installation.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "PackageFileList.h"
#include "install/DriverReadBack.h"
#include "install/ModelCatalogue.h"
#include "install/PackageSeal.h"
#include "install/RegistrySettings.h"
#include "system/Win32ErrorCodes.h"

namespace {

// The size the driver directory is first asked for with; the spooler names a larger one
// when it needs it.
constexpr uint32_t kDriverDirectorySize = 255;
constexpr int kMaxDirectoryRequests = 3;

InstallOutcome Failure(InstallStep step, uint32_t error, const std::string& subject = std::string())
{
    InstallOutcome outcome;
    outcome.failedStep = step;
    outcome.errorCode = error;
    outcome.subject = subject;
    return outcome;
}

// The driver directory, asked for until the buffer is large enough. A directory that is not
// zero-terminated within the buffer, or empty, is refused: no path is built from it.
uint32_t DriverDirectory(DriverSpooler& spooler, const std::string& environment, std::string& directory)
{
    uint32_t size = kDriverDirectorySize;
    for (int request = 0; request < kMaxDirectoryRequests; ++request) {
        std::vector<char> buffer(size, '\0');
        uint32_t needed = 0;
        uint32_t error = spooler.GetDriverDirectory(environment, buffer.data(), size, needed);
        if (error == kErrorInsufficientBuffer && needed > size) {
            size = needed;
            continue;
        }
        if (error != 0)
            return error;
        const char* end = static_cast<const char*>(std::memchr(buffer.data(), '\0', buffer.size()));
        if (end == nullptr || end == buffer.data())
            return kErrorFileNotFound;
        directory.assign(buffer.data(), static_cast<size_t>(end - buffer.data()));
        // No Windows path holds a '?': this one had characters the code page cannot hold, and
        // copies to it would land nowhere or fail one by one.
        if (directory.find('?') != std::string::npos)
            return kErrorNoUnicodeTranslation;
        return 0;
    }
    return kErrorInsufficientBuffer;
}

// Every file member a bare name of a file in the driver directory, as in Microsoft's own
// AddPrinterDriver example: a leading backslash would name the root of the current drive.
DriverRecord DriverRecordFor(const ModelRecord& model, const char* environment, const std::string& monitorName,
                             const std::vector<std::string>& optionalNames)
{
    DriverRecord driver;
    // [MS-RPRN] 2.2.1.3.1 and its note 13: 3 is a user-mode driver (Windows 2000 and later), 2 a
    // kernel-mode driver for Windows NT 4.0; a Unidrv driver is a user-mode one (windows-rules.md R1).
    driver.version = 3;
    driver.name = model.driverName;
    driver.environment = environment;
    driver.driverPath = "uniDRV.DLL";
    driver.dataFile = std::string(model.gpdBaseName) + ".GPD";
    driver.configFile = "uniDRVui.DLL";
    driver.helpFile = "uniDRV.HLP";
    driver.dependentFiles = DependentFilesList(model.pluginBaseName, optionalNames);
    driver.monitorName = monitorName;
    driver.defaultDataType = "RAW";
    return driver;
}

// The names of a record's file members, the dependent files' multi-string included.
std::vector<std::string> RecordFileNames(const DriverRecord& driver)
{
    std::vector<std::string> names = {driver.driverPath, driver.dataFile, driver.configFile, driver.helpFile};
    for (size_t at = 0; at < driver.dependentFiles.size() && driver.dependentFiles[at] != '\0';) {
        names.emplace_back(&driver.dependentFiles[at]);
        at += names.back().size() + 1;
    }
    return names;
}

PrinterRecord PrinterRecordFor(const ModelRecord& model, const std::string& port)
{
    PrinterRecord printer;
    printer.printerName = model.driverName;
    printer.portName = port;
    printer.driverName = model.driverName;
    printer.printProcessor = "WinPrint";
    printer.datatype = "RAW";
    return printer;
}

// Package files held by a seal check stay held until the run ends.
struct HeldPackageFiles {
    PackageFiles& files;
    ~HeldPackageFiles() { files.ReleaseHeldFiles(); }
};

// The progress position reached after each copy (index into PackageFilesFor's list); 0 where
// the bar stays until the next file.
constexpr int kProgressAfterCopy[] = {10, 20, 30, 0, 40, 0, 50, 60};
static_assert(sizeof(kProgressAfterCopy) / sizeof(kProgressAfterCopy[0]) ==
                  sizeof(kPackageDriverFiles) / sizeof(kPackageDriverFiles[0]),
              "a progress position for each file of install/package-files.txt");

// The files the driver names only when the package has them: copied and named when there,
// left out otherwise. A sealed program uses only those it was released with; one the seal
// holds must be the release's, as every other file.
InstallOutcome AddOptionalFiles(const EnvironmentNames& names, InstallSystem& system, std::vector<PackageFile>& files,
                                std::vector<LeftOutFile>& leftOut)
{
    const bool sealed = system.seal != nullptr && system.seal->state == SealState::Sealed;
    const std::vector<PackageFile> optional = OptionalPackageFilesFor(names);
    for (const PackageFile& file : optional) {
        uint64_t size = 0;
        const uint32_t error = system.files.CheckReadable(file.source, size);
        if (error == kErrorFileNotFound || error == kErrorPathNotFound) {
            leftOut.push_back({file.name, false});
        } else if (error != 0) {
            return Failure(InstallStep::ReadPackage, error, file.source);
        } else if (size == 0) {
            InstallOutcome empty = Failure(InstallStep::CheckPackage, 0);
            empty.emptyFiles.push_back(file.source);
            return empty;
        } else if (sealed && system.seal->Find(file.source) == nullptr) {
            leftOut.push_back({file.name, true});
        } else {
            files.push_back(file);
        }
    }
    return InstallOutcome();
}

// The driver's registration, asking for the codes of a driver that a policy blocks; and for a
// driver Windows warns about, the retry the user agrees to. A failure keeps what explains it:
// the driver policies in force and whether we ran elevated.
InstallOutcome RegisterDriver(const DriverRecord& driver, InstallSystem& system)
{
    InstallOutcome outcome;
    bool blockingStatus = true;
    uint32_t error = system.spooler.AddDriver(driver, blockingStatus);
    // docs/windows-rules.md R5: a Windows that does not know APD_RETURN_BLOCKING_STATUS_CODE
    // refuses it as an invalid parameter; the registration is then made as AddPrinterDriver makes it.
    if (error == kErrorInvalidParameter) {
        blockingStatus = false;
        error = system.spooler.AddDriver(driver, blockingStatus);
    }
    if (error == kErrorPrinterDriverWarned) {
        switch (system.feedback.AskInstallWarnedDriver(driver.name)) {
        case InstallFeedback::Answer::Yes:
            outcome.warnedDriver = WarnedDriver::Accepted;
            error = system.spooler.AddWarnedDriver(driver, blockingStatus);
            break;
        case InstallFeedback::Answer::No:
            outcome.warnedDriver = WarnedDriver::Declined;
            break;
        case InstallFeedback::Answer::NobodyToAsk:
            outcome.warnedDriver = WarnedDriver::NobodyToAsk;
            break;
        }
    }
    if (error == kErrorPrinterDriverAlreadyInstalled) {
        outcome.driverExisted = true;
    } else if (error != 0) {
        outcome.failedStep = InstallStep::RegisterDriver;
        outcome.errorCode = error;
        outcome.subject = driver.name;
        outcome.driverPolicies = system.policies.driver;
        outcome.elevated = system.elevated;
    }
    return outcome;
}

}  // namespace

EnvironmentNames EnvironmentFor(HostArchitecture host)
{
    switch (host) {
    case HostArchitecture::X64:
        return {"Windows x64", "Printer Driver\\x64\\"};
    case HostArchitecture::Arm64:
        // The environment name of [MS-RPRN] 2.2.4.4 (Environment Name) for ARM64 systems.
        return {"Windows ARM64", "Printer Driver\\arm64\\"};
    case HostArchitecture::X86:
        break;
    }
    return {"Windows NT x86", "Printer Driver\\x86\\"};
}

std::vector<PackageFile> PackageFilesFor(const EnvironmentNames& names)
{
    std::vector<PackageFile> files;
    for (const char* name : kPackageDriverFiles)
        files.push_back({std::string(names.sourceFolder) + name, name});
    return files;
}

std::vector<PackageFile> OptionalPackageFilesFor(const EnvironmentNames& names)
{
    std::vector<PackageFile> files;
    for (const char* name : kPackageOptionalFiles)
        files.push_back({names.sourceFolder + std::string(name), name});
    return files;
}

std::vector<char> DependentFilesList(const char* pluginBase, const std::vector<std::string>& optionalNames)
{
    std::vector<std::string> names = {"ttfsub.GPD", "unires.DLL", "stdnames.GPD"};
    names.insert(names.end(), optionalNames.begin(), optionalNames.end());
    names.push_back(std::string(pluginBase) + ".DLL");
    std::vector<char> list;
    for (const std::string& name : names)
        list.insert(list.end(), name.c_str(), name.c_str() + name.size() + 1);
    list.resize(std::max<size_t>(255, list.size() + 1), '\0');
    return list;
}

InstallOutcome RunInstallation(const InstallChoices& choices, InstallSystem& system)
{
    // Refusals first: none of them leaves a trace on the system. Windows protected print mode
    // would remove our driver again even if the spooler took it.
    if (system.policies.protectedPrint != ProtectedPrint::Off) {
        InstallOutcome refused = Failure(InstallStep::ProtectedPrint, 0);
        refused.protectedPrint = system.policies.protectedPrint;
        return refused;
    }
    if (choices.port.empty())
        return Failure(InstallStep::CheckPort, 0);
    if (choices.modelIndex < 0 || static_cast<size_t>(choices.modelIndex) >= kModelRecordCount)
        return Failure(InstallStep::CheckModel, 0, std::to_string(choices.modelIndex));
    const ModelRecord& model = kModelRecords[choices.modelIndex];
    const EnvironmentNames names = EnvironmentFor(choices.host);
    // An ARM64 spooler loads no x64 or x86 driver: a package without ARM64 files has nothing
    // for this system, which is not the same as an incomplete package.
    if (choices.host == HostArchitecture::Arm64 && !system.files.HasFolder(names.sourceFolder))
        return Failure(InstallStep::NoDriverForHost, 0, names.sourceFolder);
    const std::vector<PackageFile> required = PackageFilesFor(names);

    // Every file is checked before the first copy, so that a file that cannot be read does not
    // leave half a package in the driver directory. A file of 0 bytes is broken for certain
    // (no driver, GPD or help file is empty) and is named as a missing one is.
    InstallOutcome incomplete = Failure(InstallStep::CheckPackage, 0);
    InstallOutcome unreadable;
    for (const PackageFile& file : required) {
        uint64_t size = 0;
        uint32_t error = system.files.CheckReadable(file.source, size);
        if (error == kErrorFileNotFound || error == kErrorPathNotFound)
            incomplete.missingFiles.push_back(file.source);
        else if (error == 0 && size == 0)
            incomplete.emptyFiles.push_back(file.source);
        else if (error != 0 && unreadable.failedStep == InstallStep::None)
            unreadable = Failure(InstallStep::ReadPackage, error, file.source);
    }
    if (!incomplete.missingFiles.empty())
        incomplete.errorCode = kErrorFileNotFound;
    if (!incomplete.missingFiles.empty() || !incomplete.emptyFiles.empty())
        return incomplete;
    if (unreadable.failedStep != InstallStep::None)
        return unreadable;
    std::vector<PackageFile> files = required;
    std::vector<LeftOutFile> leftOut;
    if (InstallOutcome failed = AddOptionalFiles(names, system, files, leftOut); failed.failedStep != InstallStep::None)
        return failed;

    // A sealed program copies only the files it was released with. Each is held open, shared
    // with readers only, from its check to the end of the run: what is copied is what was
    // checked, with no moment between in which the package folder's owner could swap it.
    // Holding beats checking the copies in the driver directory afterwards: a refused file
    // leaves nothing behind, and the USB installers, which are started and never copied, are
    // covered the same way.
    HeldPackageFiles held{system.files};
    if (system.seal != nullptr && system.seal->state != SealState::Unsealed) {
        std::vector<std::string> paths;
        for (const PackageFile& file : files)
            paths.push_back(file.source);
        InstallOutcome refused = CheckPackageAgainstSeal(*system.seal, system.files, paths);
        if (refused.failedStep != InstallStep::None)
            return refused;
    }

    std::string directory;
    if (uint32_t error = DriverDirectory(system.spooler, names.environment, directory))
        return Failure(InstallStep::DriverDirectory, error, names.environment);

    for (size_t i = 0; i < files.size(); ++i) {
        const std::string destination = directory + "\\" + files[i].name;
        if (uint32_t error = system.files.Copy(files[i].source, destination)) {
            InstallOutcome failed = Failure(InstallStep::CopyFile, error, files[i].source);
            failed.target = destination;
            return failed;
        }
        if (i < std::size(kProgressAfterCopy) && kProgressAfterCopy[i] != 0)
            system.feedback.SetProgress(kProgressAfterCopy[i]);
    }

    // Windows requires every file the record names to be in the driver directory before
    // AddPrinterDriver ("AddPrinterDriverEx function", Remarks); Wine registers a missing one
    // all the same. A file that is not there is refused by name, with nothing registered.
    std::vector<std::string> optionalNames;
    for (size_t i = required.size(); i < files.size(); ++i)
        optionalNames.push_back(files[i].name);
    const DriverRecord driver = DriverRecordFor(model, names.environment, choices.monitorName, optionalNames);
    for (const std::string& name : RecordFileNames(driver)) {
        uint64_t size = 0;
        const uint32_t error = system.files.CheckReadable(directory + "\\" + name, size);
        // Only absence is refused here: a file that is there but held is the spooler's to judge.
        if (error == kErrorFileNotFound || error == kErrorPathNotFound) {
            InstallOutcome failed = Failure(InstallStep::CheckDriverFiles, error, name);
            failed.target = directory;
            return failed;
        }
    }

    // Registering a driver that is there already replaces its record; a spooler that answers
    // "already installed" keeps the old one, which names the same files just copied.
    InstallOutcome outcome = RegisterDriver(driver, system);
    outcome.leftOutFiles = leftOut;
    if (outcome.failedStep != InstallStep::None)
        return outcome;
    // Before any printer is put on the driver: a stale file would be printed with.
    InstallOutcome verified = VerifyInstalledDriver(system.spooler, system.files, model.driverName, names.environment,
                                                    files, system.seal, system.policies.version);
    if (verified.failedStep != InstallStep::None) {
        verified.driverExisted = outcome.driverExisted;
        verified.leftOutFiles = leftOut;
        return verified;
    }
    outcome.keptFiles = verified.keptFiles;
    system.feedback.SetProgress(70);

    const PrinterRecord printerRecord = PrinterRecordFor(model, choices.port);
    PrinterHandle printer = nullptr;
    uint32_t error = system.spooler.CreatePrinter(printerRecord, printer);
    if (error == kErrorPrinterAlreadyExists) {
        // Running the installation again repairs it: the existing printer moves to the port
        // chosen now, as a new one would have been put there.
        outcome.printerExisted = true;
        printer = nullptr;
        error = system.spooler.OpenExistingPrinter(printerRecord.printerName, printer);
        if (error == 0)
            error = system.spooler.RebindPrinter(printer, printerRecord);
        if (error != 0) {
            if (printer != nullptr)
                system.spooler.ClosePrinter(printer);
            InstallOutcome failed = Failure(InstallStep::UpdatePrinter, error, printerRecord.printerName);
            failed.target = choices.port;
            failed.printerExisted = true;
            return failed;
        }
    } else if (error != 0) {
        InstallOutcome failed = Failure(InstallStep::AddPrinter, error, printerRecord.printerName);
        failed.target = choices.port;
        return failed;
    }
    system.feedback.SetProgress(80);

    if (choices.setDefaultPrinter) {
        if (!WriteDefaultPrinter(system.registry, system.feedback, model.driverName, choices.port,
                                 choices.defaultPrinterUser))
            outcome.registryWriteFailed = true;
        // Windows 10 and later would otherwise make the last printer used the default again.
        else if (WindowsManagesDefaultPrinter(system.policies.version) &&
                 !KeepDefaultPrinterUserManaged(system.registry, system.feedback, choices.defaultPrinterUser, outcome))
            outcome.registryWriteFailed = true;
    }
    system.feedback.SetProgress(90);

    if (!WriteSerialSettings(system.registry, system.feedback, choices))
        outcome.registryWriteFailed = true;
    system.feedback.SetProgress(95);

    if (printer != nullptr)
        system.spooler.ClosePrinter(printer);
    system.feedback.Pause(500);
    system.feedback.SetProgress(100);

    outcome.succeeded = true;
    return outcome;
}
