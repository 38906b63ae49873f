#include "install/Uninstallation.h"

#include "install/RegistrySettings.h"
#include "system/TextCompare.h"
#include "system/Win32ErrorCodes.h"

namespace {

const char kDeviceValue[] = "Device";

// The installation writes "absent" or a number of ten digits at most; a longer text is none of
// ours.
constexpr size_t kLegacyModeRecordMostChars = 15;

// What the installation recorded in the user's kSetupKeyPath about LegacyDefaultPrinterMode
// before it set it; ERROR_FILE_NOT_FOUND when it recorded nothing.
uint32_t ReadLegacyModeRecord(UninstallSystem& system, const std::string& userSid, std::string& before)
{
    RegistryRoot root;
    std::string path;
    UserHiveKey(userSid, kSetupKeyPath, root, path);
    RegistryString record;
    const uint32_t error = system.ReadStringValue(root, path, kLegacyModeBeforeValue, record);
    // A record we did not write in this form names nothing to put back: "?", which no parse takes.
    const bool ours = error == 0 && record.type == kRegistryString && record.text.size() <= kLegacyModeRecordMostChars;
    before = ours ? record.text : std::string("?");
    return error == kErrorMoreData ? 0 : error;
}

// LegacyDefaultPrinterMode as it is now; a Windows key that is not there holds none.
uint32_t ReadLegacyDefaultPrinterMode(UninstallSystem& system, const std::string& userSid, RegistryDword& value)
{
    RegistryRoot root;
    std::string path;
    UserHiveKey(userSid, kWindowsKeyPath, root, path);
    const uint32_t error = system.ReadDwordValue(root, path, kLegacyDefaultPrinterModeValue, value);
    if (error == kErrorFileNotFound)
        value = RegistryDword();
    return error == kErrorFileNotFound ? 0 : error;
}

// Puts LegacyDefaultPrinterMode back: `absent` deletes it, else the DWORD `value`.
uint32_t RestoreLegacyDefaultPrinterMode(UninstallSystem& system, const std::string& userSid, bool absent,
                                         uint32_t value)
{
    RegistryRoot root;
    std::string path;
    UserHiveKey(userSid, kWindowsKeyPath, root, path);
    return absent ? system.DeleteValue(root, path, kLegacyDefaultPrinterModeValue)
                  : system.SetDwordValue(root, path, kLegacyDefaultPrinterModeValue, value);
}

// Our own key holds nothing but the record; one already gone is no failure.
uint32_t DeleteLegacyModeRecord(UninstallSystem& system, const std::string& userSid)
{
    RegistryRoot root;
    std::string path;
    UserHiveKey(userSid, kSetupKeyPath, root, path);
    const uint32_t error = system.DeleteKey(root, path);
    return error == kErrorFileNotFound ? 0 : error;
}

UninstallStep RemovePrinter(const std::string& printerName, UninstallSystem& system)
{
    UninstallStep step{UninstallItem::Printer, UninstallResult::Removed, 0, printerName, {}, 0};
    PrinterHandle printer = nullptr;
    uint32_t error = system.OpenPrinterForRemoval(printerName, printer);
    if (error == kErrorInvalidPrinterName) {
        step.result = UninstallResult::Absent;
        return step;
    }
    if (error == 0) {
        // With jobs still queued Windows marks the printer for deletion and answers success;
        // its driver then stays in use, which the driver step reports.
        error = system.DeletePrinter(printer);
        system.ClosePrinter(printer);
    }
    if (error != 0) {
        step.result = UninstallResult::Failed;
        step.errorCode = error;
    }
    return step;
}

UninstallStep RemoveDriver(const std::string& printerName, const std::string& driverName,
                           const std::string& environment, UninstallSystem& system)
{
    UninstallStep step{UninstallItem::Driver, UninstallResult::Removed, 0, driverName + " (" + environment + ")", {}, 0};
    // Wine's spooler deletes a driver that printers still use, so the spooler's own refusal
    // cannot be relied on. Without the list nobody can say the driver is unused: it stays.
    std::vector<SpoolerPrinter> printers;
    uint32_t error = system.ListPrinters(printers);
    if (error != 0) {
        step.result = UninstallResult::Failed;
        step.errorCode = error;
        return step;
    }
    step.users = OtherPrintersUsingDriver(printers, printerName, driverName);
    if (!step.users.empty()) {
        step.result = UninstallResult::InUse;
        return step;
    }
    error = system.DeleteDriver(environment, driverName);
    if (error == kErrorUnknownPrinterDriver) {
        step.result = UninstallResult::Absent;
    } else if (error == kErrorPrinterDriverInUse) {
        // A user the list does not show: our printer waiting for its jobs before it goes, or
        // another user's connection.
        step.result = UninstallResult::InUse;
        step.errorCode = error;
    } else if (error != 0) {
        step.result = UninstallResult::Failed;
        step.errorCode = error;
    }
    return step;
}

UninstallStep RemoveDefaultPrinterValue(const std::string& printerName, const std::string& userSid,
                                        UninstallSystem& system)
{
    UninstallStep step{UninstallItem::DefaultPrinterValue, UninstallResult::Absent, 0, std::string(), {}, 0};
    RegistryRoot root;
    std::string path;
    UserHiveKey(userSid, kWindowsKeyPath, root, path);
    RegistryString value;
    uint32_t error = system.ReadStringValue(root, path, kDeviceValue, value);
    if (error == kErrorFileNotFound)
        return step;
    if (error != 0) {
        step.result = UninstallResult::Failed;
        step.errorCode = error;
        return step;
    }
    // Windows writes the value as a string; any other type was written by something else and
    // names no printer, ours least of all.
    if (value.type != kRegistryString && value.type != kRegistryExpandString) {
        step.result = UninstallResult::NotString;
        step.valueType = value.type;
        return step;
    }
    const std::string& data = value.text;
    step.subject = data;
    // Another printer is the user's choice of default: not ours to touch.
    if (!DeviceValueNamesPrinter(data, printerName)) {
        step.result = UninstallResult::Kept;
        return step;
    }
    error = system.DeleteValue(root, path, kDeviceValue);
    if (error == kErrorFileNotFound) {
        step.result = UninstallResult::Absent;  // the spooler removed it in the meantime
    } else if (error != 0) {
        step.result = UninstallResult::Failed;
        step.errorCode = error;
    } else {
        step.result = UninstallResult::Removed;
    }
    return step;
}

// Only a value still at the installation's 1 is put back: any other value is the user's choice
// since. The record goes either way, so that a later removal cannot act on it again.
UninstallStep RestoreDefaultPrinterMode(const std::string& userSid, UninstallSystem& system)
{
    UninstallStep step{UninstallItem::DefaultPrinterMode, UninstallResult::Absent, 0, std::string(), {}, 0};
    std::string before;
    uint32_t error = ReadLegacyModeRecord(system, userSid, before);
    if (error == kErrorFileNotFound)
        return step;  // the installation did not change it
    RegistryDword now;
    bool absent = false;
    uint32_t value = 0;
    if (error == 0)
        error = ReadLegacyDefaultPrinterMode(system, userSid, now);
    if (error == 0) {
        step.subject = before;
        if (!now.IsDword(1) || !ParseLegacyModeRecord(before, absent, value))
            step.result = UninstallResult::Kept;
        else if ((error = RestoreLegacyDefaultPrinterMode(system, userSid, absent, value)) == 0)
            step.result = UninstallResult::Restored;
    }
    if (error == 0)
        error = DeleteLegacyModeRecord(system, userSid);
    if (error != 0) {
        step.result = UninstallResult::Failed;
        step.errorCode = error;
    }
    return step;
}

}  // namespace

bool ParseLegacyModeRecord(const std::string& before, bool& absent, uint32_t& value)
{
    absent = before == kValueWasAbsent;
    if (absent)
        return true;
    if (before.empty() || before.size() > 10)
        return false;
    uint64_t number = 0;
    for (char digit : before) {
        if (digit < '0' || digit > '9')
            return false;
        number = number * 10 + static_cast<uint64_t>(digit - '0');
    }
    value = static_cast<uint32_t>(number);
    return number <= 0xFFFFFFFFu;
}

std::vector<std::string> OtherPrintersUsingDriver(const std::vector<SpoolerPrinter>& printers,
                                                  const std::string& printerName, const std::string& driverName)
{
    std::vector<std::string> users;
    for (const SpoolerPrinter& printer : printers)
        if (SameTextIgnoringCase(printer.driver, driverName) && !SameTextIgnoringCase(printer.name, printerName))
            users.push_back(printer.name);
    return users;
}

bool DeviceValueNamesPrinter(const std::string& data, const std::string& printerName)
{
    const size_t comma = data.find(',');
    return SameTextIgnoringCase(data.substr(0, comma), printerName);
}

UninstallOutcome RunUninstallation(const std::string& printerName, const std::string& driverName,
                                   const std::string& environment, UninstallSystem& system,
                                   const DefaultPrinterTarget& defaultPrinter)
{
    UninstallOutcome outcome;
    outcome.steps.push_back(RemovePrinter(printerName, system));
    if (outcome.steps.back().result != UninstallResult::Failed) {
        outcome.steps.push_back(RemoveDriver(printerName, driverName, environment, system));
        // The installation set the default of the person at the desktop, in their hive; with no
        // one logged on it set none, and the hives of absent users are not loaded to look.
        if (defaultPrinter.hive != DefaultPrinterHive::NobodyLoggedOn) {
            const std::string userSid =
                defaultPrinter.hive == DefaultPrinterHive::DesktopUser ? defaultPrinter.sid : std::string();
            outcome.steps.push_back(RemoveDefaultPrinterValue(printerName, userSid, system));
            // Only where the installation changed the setting is there anything to say about it.
            const UninstallStep mode = RestoreDefaultPrinterMode(userSid, system);
            if (mode.result != UninstallResult::Absent)
                outcome.steps.push_back(mode);
        }
    }
    outcome.complete = true;
    for (const UninstallStep& step : outcome.steps)
        if (step.result == UninstallResult::Failed)
            outcome.complete = false;
    return outcome;
}
