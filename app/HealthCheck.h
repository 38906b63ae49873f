// /check: the installed printer's health, read and judged without changing anything, for the
// technician at the shop (one window) and for the fleet's detection rules (an exit code and a
// log). Each thing looked at gives one line: "ok" with what was seen, or the problem in the
// user's words with what fixes it.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "install/DriverSpooler.h"
#include "install/PackageFiles.h"
#include "install/PackageSeal.h"
#include "install/PrinterState.h"
#include "install/Uninstallation.h"
#include "ports/PortSpooler.h"
#include "system/DesktopAccount.h"
#include "system/HostArchitecture.h"
#include "system/PrintPolicies.h"

// Exit codes of /check. Windows Installer's numbers where one says the same thing, none that
// the install mode uses with another meaning (0, 87, 1603, 1618, 1622).
constexpr int kExitCheckNotInstalled = 1605;  // ERROR_UNKNOWN_PRODUCT: not installed
constexpr int kExitCheckNeedsRepair = 1610;   // ERROR_BAD_CONFIGURATION: installed, but not ready
constexpr int kExitCheckCouldNotRun = 1627;   // ERROR_FUNCTION_FAILED: the state could not be read

// QUERY_SERVICE_CONFIG's dwStartType values the check names.
constexpr uint32_t kServiceAutoStart = 2;
constexpr uint32_t kServiceDemandStart = 3;
constexpr uint32_t kServiceDisabled = 4;

struct SpoolerServiceFacts {
    uint32_t error = 0;  // the Service Control Manager could not be asked
    bool running = false;
    uint32_t startType = kServiceAutoStart;
};

struct CheckSystem {
    DriverSpooler& spooler;  // only GetInstalledDriver is called
    PackageFiles& files;     // only reads
    IPortSpooler& ports;     // only the port list
    PrinterStateReader& printers;
    UninstallSystem& registry;  // only ReadStringValue
    HostArchitecture host;
    PrintPolicies policies;  // and the running Windows' version
    SpoolerServiceFacts service;
    const PackageSeal* seal = nullptr;  // null or unsealed: the package folder's files as they are
    DefaultPrinterTarget defaultPrinter;  // whose default printer is looked at
    std::string programVersion;           // "4.0.0.0"; empty: unknown
    std::string time;                     // when the check ran, as the reader's clock shows it
    std::function<std::wstring(const std::string&)> widenAnsi;  // the code page's texts
    std::function<std::wstring(uint32_t)> errorText;            // Windows' text for an error
};

enum class CheckResult { Ready, NotInstalled, NeedsRepair, CouldNotRun };

struct CheckReport {
    CheckResult result = CheckResult::Ready;
    std::vector<std::wstring> lines;  // the log's lines and the window's, the same texts
    int problems = 0;
};

CheckReport RunHealthCheck(CheckSystem& system);
int CheckExitCode(CheckResult result);
