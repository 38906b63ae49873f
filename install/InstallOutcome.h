// What an installation run reports back to the page that started it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum class InstallStep {
    None,
    CheckPort,        // the port name was refused before anything changed
    CheckModel,       // the model selection names no model; nothing was changed
    CheckPackage,     // package files are missing; nothing was changed
    NoDriverForHost,  // the package has no driver folder for this system (ARM64); nothing was changed
    ReadPackage,      // a package file is there but cannot be read; nothing was changed
    DriverDirectory,  // the spooler did not name its driver directory
    CopyFile,         // copying one package file into the driver directory
    RegisterDriver,   // AddPrinterDriver
    AddPrinter,       // AddPrinter
    UpdatePrinter,    // the printer was there already and could not be put on the chosen port
};

struct InstallOutcome {
    bool succeeded = false;
    InstallStep failedStep = InstallStep::None;
    uint32_t errorCode = 0;                 // the Win32 error of the failed call, 0 when none applies
    std::string subject;                    // the file or name the failed step worked on (ANSI)
    std::string target;                     // CopyFile: the destination of the failed copy (ANSI)
    std::vector<std::string> missingFiles;  // CheckPackage: every package file that is missing
    bool printerExisted = false;            // a printer of that name was there already: a repair
    bool driverExisted = false;             // the spooler kept a driver of that name already
    bool registryWriteFailed = false;       // a registry setting could not be written (already shown)
};
