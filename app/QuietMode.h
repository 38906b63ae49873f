// The unattended install and removal: the wizard's installation with the printer settings
// page's defaults, on a port the spooler lists, with every event written to a log instead of
// a message box, and an exit code for the deployment tool.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "system/DesktopAccount.h"
#include "install/DriverSpooler.h"
#include "system/HostArchitecture.h"
#include "system/PrintPolicies.h"
#include "install/Installation.h"
#include "install/PackageFiles.h"
#include "install/PackageSeal.h"
#include "ports/PortSpooler.h"
#include "install/RegistryWriter.h"
#include "install/Uninstallation.h"
#include "ports/XcvPorts.h"
#include "system/SpoolerService.h"

// One event per line; the writer adds the time and the line end. False when the line could
// not be written in full (a full disk, a lost network share): the log is lost from there on.
// Without a log file every line counts as written.
class QuietLog {
public:
    virtual ~QuietLog() = default;
    virtual bool Write(const std::wstring& line) = 0;
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
    // A UTF-8 text in the system code page, for the spooler's ANSI calls; false when the code
    // page cannot hold it unchanged (a character would become "?" or a look-alike).
    std::function<bool(const std::string& utf8, std::string& ansi)> toAnsi;
    // Set once a log line could not be written; no line is written after it.
    bool logLost = false;
    // /tcp creates its port through the monitor's Xcv interface; null: no such interface.
    IXcvPorts* xcv = nullptr;
    // Whose default printer to set; null: this process's own (HKCU).
    AccountQuery* accounts = nullptr;
    // The machine's print policies and version, and whether the program runs elevated.
    PrintPolicies policies = PrintPolicies();
    bool elevated = false;
    // The program's seal; null or unsealed: the package is used unchecked (a developer build).
    const PackageSeal* seal = nullptr;
    // The Print Spooler service, asked about when a spooler call fails, and started without
    // asking when it is stopped and not disabled; null: the call's own error is all there is.
    SpoolerService* spoolerService = nullptr;
};

// Installs as the wizard does with its defaults, on options.port; answers the exit code.
// A log lost on the way does not stop an installation that has begun: half a printer helps
// nobody. It turns success into 1622; a failure stays 1603.
int RunQuietInstall(const CommandLineOptions& options, QuietSystem& system);
// /tcp: the Standard TCP/IP port to options.tcpAddress, created or (it exists) reused; false,
// with the cause in the log, when there is none to install on.
bool PrepareTcpPort(const CommandLineOptions& options, QuietSystem& system);
// Whose hive gets the default printer (choices.defaultPrinterUser), or none when no one is at
// the desktop (choices.setDefaultPrinter cleared); each said in the log.
void ChooseDefaultPrinterUser(QuietSystem& system, InstallChoices& choices);
// Whose default printer an installation sets (Set) or a removal clears (Remove), logged when it
// is not this account's own.
enum class DefaultPrinterUse { Set, Remove };
DefaultPrinterTarget DefaultPrinterTargetFor(QuietSystem& system, DefaultPrinterUse use);
// Removes the printer, its driver (unless another printer uses it) and a Device value of the
// person at the desktop that names it; answers the exit code, with a lost log as for the install.
int RunQuietUninstall(QuietSystem& system);

// Writes one line with its values' controls escaped (see EscapeControls), so that no value
// can add a line of its own; answers whether it was written.
bool WriteLogLine(QuietLog& log, const std::wstring& line);

// The spooler's spelling of `wanted` among the local ports (EnumPorts level 2), compared
// without regard to letter case as Windows compares port names. `listed` receives every
// port name, for the log. `listing` (when given) receives whether the spooler gave its list:
// a list it could not give is no list of none.
bool FindListedPort(IPortSpooler& ports, const std::string& wanted, std::string& found,
                    std::vector<std::string>& listed, SpoolerResult* listing = nullptr);

// A message box text as one log line: its lines joined by blanks, indented lines (names)
// quoted, and consecutive ones separated by commas.
std::wstring OneLine(const std::wstring& text);
