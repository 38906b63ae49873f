// The unattended install and removal: the wizard's installation with the printer settings
// page's defaults, on a port the spooler lists, with every event written to a log instead of
// a message box, and an exit code for the deployment tool.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "install/DriverSpooler.h"
#include "install/HostArchitecture.h"
#include "install/PackageFiles.h"
#include "install/PortSpooler.h"
#include "install/RegistryWriter.h"
#include "install/Uninstallation.h"

// One event per line; the writer adds the time and the line end.
class QuietLog {
public:
    virtual ~QuietLog() = default;
    virtual void Write(const std::wstring& line) = 0;
};

struct QuietSystem {
    DriverSpooler& spooler;
    PackageFiles& files;
    RegistryWriter& registry;
    IPortSpooler& ports;
    UninstallSystem& removal;
    QuietLog& log;
    HostArchitecture host;  // whose driver environment: "Windows NT x86", "Windows x64", "Windows ARM64"
    // The system code page's texts (port and file names) in UTF-16.
    std::function<std::wstring(const std::string&)> widenAnsi;
    // Windows' own description of an error code.
    std::function<std::wstring(uint32_t)> errorText;
    // The installation's registry message, as the wizard shows it.
    std::wstring registryMessage;
};

// Installs as the wizard does with its defaults, on options.port; answers the exit code.
int RunQuietInstall(const CommandLineOptions& options, QuietSystem& system);
// Removes the printer, its driver and a Device value that names it; answers the exit code.
int RunQuietUninstall(QuietSystem& system);

// The spooler's spelling of `wanted` among the local ports (EnumPorts level 2), compared
// without regard to letter case as Windows compares port names. `listed` receives every
// port name, for the log.
bool FindListedPort(IPortSpooler& ports, const std::string& wanted, std::string& found,
                    std::vector<std::string>& listed);

// A message box text as one log line: its lines joined by blanks, indented lines (names)
// quoted, and consecutive ones separated by commas.
std::wstring OneLine(const std::wstring& text);
