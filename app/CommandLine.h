// The command line of an unattended run, as deployment tools (Intune, Configuration Manager,
// Group Policy scripts, PDQ) give it:
//   PrinterSetup.exe /quiet [/port NAME | /tcp HOST[:PORT]] [/nodefault] [/log FILE]
//   PrinterSetup.exe /quiet /uninstall [/log FILE]
//   PrinterSetup.exe [/quiet] /check [/log FILE]   (the health check; changes nothing)
//   PrinterSetup.exe /?   (or /help)
// Options are case-insensitive and may start with "-" instead of "/". Without arguments the
// program is the wizard. Texts are UTF-8 throughout: the command line is read in Unicode, so a
// log path or a port name in any script arrives as it was typed.
#pragma once
#include <string>
#include <vector>

#include "ports/TcpPort.h"

// Exit codes as Windows Installer gives them, which deployment tools already understand.
constexpr int kExitSuccess = 0;
constexpr int kExitInvalidParameter = 87;  // ERROR_INVALID_PARAMETER
constexpr int kExitInstallFailure = 1603;  // ERROR_INSTALL_FAILURE
constexpr int kExitLogFailure = 1622;      // ERROR_INSTALL_LOG_FAILURE: the log file cannot be written

enum class CommandMode {
    Wizard,        // no arguments: the pages, as always
    Help,          // /? or /help: the usage box
    QuietInstall,  // /quiet
    QuietUninstall,
    Check,         // /check: the health check, in a window or (with /quiet) by exit code and log
    BadArguments,  // exit 87; `error` says why
};

struct CommandLineOptions {
    CommandMode mode = CommandMode::Wizard;
    bool quiet = false;  // /quiet was given: no window at all, even for bad arguments
    std::string port = "LPT1:";  // UTF-8
    bool tcp = false;             // /tcp: a Standard TCP/IP port to `tcpAddress` instead of `port`
    TcpPrinterAddress tcpAddress;
    bool setDefaultPrinter = true;
    std::string logFile;  // UTF-8; empty: no log
    std::string error;    // BadArguments: what was wrong, for the log and the usage box (UTF-8)
};

// Splits the arguments the way the C runtime builds argv: blanks separate, double quotes
// group ("C:\my port.prn"), 2n backslashes before a quote give n and the quote groups,
// 2n+1 give n and a literal quote, "" inside quotes is a literal quote.
std::vector<std::string> SplitArguments(const char* arguments);

// The arguments of a whole command line (GetCommandLineW's, in UTF-8): what follows the
// program's name and the blanks after it, as the C runtime finds WinMain's lpCmdLine.
const char* ArgumentsAfterProgramName(const char* commandLine);

// `arguments` is the command line without the program's name, in UTF-8.
CommandLineOptions ParseCommandLine(const char* arguments);

// The text of the usage box (lines separated by "\n").
std::string UsageText();
