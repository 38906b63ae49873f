// Removal of what the installation put on the system: the model's printer, its driver in the
// environment the installation used, and the user's "Device" value when it names the printer.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "system/DesktopAccount.h"
#include "system/RegistryDword.h"
#include "install/DriverSpooler.h"
#include "install/RegistryWriter.h"

constexpr uint32_t kErrorUnknownPrinterDriver = 1797;  // ERROR_UNKNOWN_PRINTER_DRIVER
constexpr uint32_t kErrorInvalidPrinterName = 1801;    // ERROR_INVALID_PRINTER_NAME
constexpr uint32_t kErrorPrinterDriverInUse = 3001;    // ERROR_PRINTER_DRIVER_IN_USE
constexpr uint32_t kRegistryString = 1;                // REG_SZ
constexpr uint32_t kRegistryExpandString = 2;          // REG_EXPAND_SZ

// A printer as the spooler lists it. Names in UTF-8: they may be in any script.
struct SpoolerPrinter {
    std::string name;
    std::string driver;
};

// A registry value that should be a string: its type, and its text (UTF-8, up to its first
// zero) when it is REG_SZ or REG_EXPAND_SZ.
struct RegistryString {
    uint32_t type = kRegistryString;
    std::string text;
};

// What the removal needs of the spooler and of the user's registry. Every call answers 0 or
// the Windows error of the failure.
class UninstallSystem {
public:
    virtual ~UninstallSystem() = default;
    // OpenPrinter with the right to delete; ERROR_INVALID_PRINTER_NAME when there is none.
    virtual uint32_t OpenPrinterForRemoval(const std::string& name, PrinterHandle& printer) = 0;
    virtual uint32_t DeletePrinter(PrinterHandle printer) = 0;
    virtual void ClosePrinter(PrinterHandle printer) = 0;
    // The local printers and the user's printer connections (EnumPrinters level 2).
    virtual uint32_t ListPrinters(std::vector<SpoolerPrinter>& printers) = 0;
    // DeletePrinterDriverEx for every version of the driver; its files go only where no other
    // driver uses them. ERROR_UNKNOWN_PRINTER_DRIVER when there is no such driver; Windows'
    // spooler answers ERROR_PRINTER_DRIVER_IN_USE while a printer uses it (Wine's does not).
    virtual uint32_t DeleteDriver(const std::string& environment, const std::string& name) = 0;
    // The user's registry, each key by its root and path as the installation names it
    // (UserHiveKey). ERROR_FILE_NOT_FOUND when the key or the value is not there.
    // A value of whatever type, read whole; its text only when it is a string.
    virtual uint32_t ReadStringValue(RegistryRoot root, const std::string& path, const std::string& name,
                                     RegistryString& value) = 0;
    // A value that should be a REG_DWORD; one that is not there is Absent, no error.
    virtual uint32_t ReadDwordValue(RegistryRoot root, const std::string& path, const std::string& name,
                                    RegistryDword& value) = 0;
    virtual uint32_t SetDwordValue(RegistryRoot root, const std::string& path, const std::string& name,
                                   uint32_t data) = 0;
    virtual uint32_t DeleteValue(RegistryRoot root, const std::string& path, const std::string& name) = 0;
    // A key without subkeys, with its values.
    virtual uint32_t DeleteKey(RegistryRoot root, const std::string& path) = 0;
};

enum class UninstallItem { Printer, Driver, DefaultPrinterValue, DefaultPrinterMode };

enum class UninstallResult {
    Removed,
    Absent,  // not there to begin with
    Kept,       // the Device value names another printer: left alone
    NotString,  // the Device value is no string (`valueType`), so it names no printer: left alone
    InUse,      // the driver stays for the printers in `users` (none listed: the spooler said so)
    Failed,     // still there; `errorCode` says why
    Restored,   // DefaultPrinterMode: put back to what it was before the installation (`subject`)
};

struct UninstallStep {
    UninstallItem item;
    UninstallResult result;
    uint32_t errorCode = 0;
    // The printer, "<driver> (<environment>)", the value's data (UTF-8), or for DefaultPrinterMode
    // what LegacyDefaultPrinterMode was before the installation.
    std::string subject;
    std::vector<std::string> users;  // InUse: the other printers on the driver
    uint32_t valueType = 0;          // NotString: the Device value's registry type
};

struct UninstallOutcome {
    // True when nothing of the installation stays: every step removed its item or found none.
    bool complete = false;
    std::vector<UninstallStep> steps;  // in the order they were taken
};

// Removes the printer, then the driver, then the Device value of `defaultPrinter`'s user if it
// names the printer (none is looked at when no one is logged on), and puts that user's
// LegacyDefaultPrinterMode back where the installation changed it and the user has not since. A
// printer that cannot be removed keeps its driver in use and stays the default printer rightly,
// so the removal stops there. A driver that another printer uses stays: removing it would
// leave that printer without a driver. That is no failure: what the installation added is gone.
UninstallOutcome RunUninstallation(const std::string& printerName, const std::string& driverName,
                                   const std::string& environment, UninstallSystem& system,
                                   const DefaultPrinterTarget& defaultPrinter = DefaultPrinterTarget());

// The printers other than `printerName` that use `driverName` (names compared as Windows
// compares them).
std::vector<std::string> OtherPrintersUsingDriver(const std::vector<SpoolerPrinter>& printers,
                                                  const std::string& printerName, const std::string& driverName);

// The record of LegacyDefaultPrinterMode before the installation: "absent", or a decimal number.
bool ParseLegacyModeRecord(const std::string& before, bool& absent, uint32_t& value);

// Whether a "Device" value ("<printer>,winspool,<port>") names `printerName` (as Windows
// compares printer names: without regard to letter case).
bool DeviceValueNamesPrinter(const std::string& data, const std::string& printerName);
