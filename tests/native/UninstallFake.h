// A spooler and user registry holding the installed printer, its driver and a Device value
// that names it, and any other printers of `otherPrinters`. Every call lands in `log`; the call whose log line starts with `failOn`
// fails with `failError` and changes nothing.
#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "install/RegistrySettings.h"
#include "install/Uninstallation.h"
#include "system/Win32ErrorCodes.h"

class FakeUninstallSystem : public UninstallSystem {
public:
    bool printerPresent = true;
    bool driverPresent = true;
    std::optional<std::string> device = std::string("VELM58KD,winspool,LPT1:");
    uint32_t deviceType = 1;  // REG_SZ
    std::string deviceHive;   // whose hive holds `device`: empty for HKCU, else a user's SID
    std::vector<SpoolerPrinter> otherPrinters;
    std::map<std::string, std::string> portSettings;  // REG_SZ values of the machine's Ports key, by port

    std::string failOn;
    uint32_t failError = 5;  // ERROR_ACCESS_DENIED
    std::vector<std::string> log;
    int openHandles = 0;

    uint32_t OpenPrinterForRemoval(const std::string& name, PrinterHandle& printer) override
    {
        printer = nullptr;
        if (uint32_t error = Record("OpenPrinter " + name))
            return error;
        if (!printerPresent || name != "VELM58KD")
            return kErrorInvalidPrinterName;
        printer = &m_handles[m_spoolerRun];
        ++openHandles;
        return 0;
    }
    uint32_t DeletePrinter(PrinterHandle printer) override
    {
        if (printer != &m_handles[m_spoolerRun])
            return Record("DeletePrinter on a dead handle"), 6;  // ERROR_INVALID_HANDLE
        if (uint32_t error = Record("DeletePrinter"))
            return error;
        printerPresent = false;
        return 0;
    }
    void ClosePrinter(PrinterHandle printer) override
    {
        const bool issued = printer >= &m_handles[0] && printer <= &m_handles[kSpoolerRuns - 1];
        Record(printer == &m_handles[m_spoolerRun] ? "ClosePrinter" : issued ? "ClosePrinter (dead handle)"
                                                                              : "ClosePrinter (no handle)");
        if (issued)
            --openHandles;
    }
    // The spooler process ends and a new one runs: the handles of the old one are dead.
    void RestartSpooler() { ++m_spoolerRun; }
    uint32_t ListPrinters(std::vector<SpoolerPrinter>& printers) override
    {
        printers.clear();
        if (uint32_t error = Record("ListPrinters"))
            return error;
        if (printerPresent)
            printers.push_back({"VELM58KD", "VELM58KD"});
        printers.insert(printers.end(), otherPrinters.begin(), otherPrinters.end());
        return 0;
    }
    uint32_t DeleteDriver(const std::string& environment, const std::string& name) override
    {
        if (uint32_t error = Record("DeleteDriver " + environment + " " + name))
            return error;
        if (!driverPresent)
            return kErrorUnknownPrinterDriver;
        driverPresent = false;
        return 0;
    }
    // LegacyDefaultPrinterMode as it is, and the installation's record of it before (in `deviceHive` only):
    // its type and the error reading it gives; `legacyModeError` for the Windows key's, `recordKeyError` for
    // deleting the record's key.
    RegistryDword legacyMode;
    std::optional<std::string> legacyRecord;
    uint32_t legacyRecordType = 1;  // REG_SZ
    uint32_t legacyRecordError = 0;
    uint32_t legacyModeError = 0;
    uint32_t recordKeyError = 0;

    uint32_t ReadStringValue(RegistryRoot root, const std::string& path, const std::string& name,
                             RegistryString& value) override
    {
        std::string userSid;
        if (name == "Device" && UserKey(root, path, kWindowsKeyPath, userSid)) {
            if (uint32_t error = Record(userSid.empty() ? "ReadDevice" : "ReadDevice " + userSid))
                return error;
            if (!device || userSid != deviceHive)
                return kErrorFileNotFound;
            value.type = deviceType;
            value.text = deviceType == 1 || deviceType == 2 ? *device : std::string();
            return 0;
        }
        // Not logged (reading changes nothing), so that a removal without a record logs only its changes.
        if (name == kLegacyModeBeforeValue && UserKey(root, path, kSetupKeyPath, userSid)) {
            if (!legacyRecord || userSid != deviceHive)
                return kErrorFileNotFound;
            value.type = legacyRecordType;
            value.text = legacyRecordType == 1 ? *legacyRecord : std::string();
            return legacyRecordError;
        }
        auto setting = portSettings.find(name);
        if (root == RegistryRoot::LocalMachine && path == kPortsKeyPath && setting != portSettings.end()) {
            value.type = kRegistryString;
            value.text = setting->second;
            return 0;
        }
        return kErrorFileNotFound;
    }
    uint32_t ReadDwordValue(RegistryRoot root, const std::string& path, const std::string& name,
                            RegistryDword& value) override
    {
        std::string userSid;
        if (name != kLegacyDefaultPrinterModeValue || !UserKey(root, path, kWindowsKeyPath, userSid))
            return kErrorFileNotFound;
        value = legacyMode;
        if (uint32_t error = Record("ReadLegacyMode" + Hive(userSid)))
            return error;
        return legacyModeError;
    }
    uint32_t SetDwordValue(RegistryRoot root, const std::string& path, const std::string& name, uint32_t data) override
    {
        std::string userSid;
        if (name != kLegacyDefaultPrinterModeValue || !UserKey(root, path, kWindowsKeyPath, userSid))
            return Record("SetDword elsewhere " + path);
        return Record("SetLegacyMode " + std::to_string(data) + Hive(userSid));
    }
    uint32_t DeleteValue(RegistryRoot root, const std::string& path, const std::string& name) override
    {
        std::string userSid;
        if (!UserKey(root, path, kWindowsKeyPath, userSid))
            return Record("DeleteValue elsewhere " + path);
        if (name == kLegacyDefaultPrinterModeValue)
            return Record("DeleteLegacyMode" + Hive(userSid));
        if (uint32_t error = Record(userSid.empty() ? "DeleteDevice" : "DeleteDevice " + userSid))
            return error;
        if (name != "Device" || !device || userSid != deviceHive)
            return kErrorFileNotFound;
        device.reset();
        return 0;
    }
    uint32_t DeleteKey(RegistryRoot root, const std::string& path) override
    {
        std::string userSid;
        if (!UserKey(root, path, kSetupKeyPath, userSid))
            return Record("DeleteKey elsewhere " + path);
        if (uint32_t error = Record("DeleteLegacyRecord" + Hive(userSid)))
            return error;
        return recordKeyError;
    }

private:
    static std::string Hive(const std::string& userSid) { return userSid.empty() ? std::string() : " " + userSid; }
    // Whether `path` under `root` is the user's key `key`: HKCU\key, or HKEY_USERS\<SID>\key (the SID in `userSid`).
    static bool UserKey(RegistryRoot root, const std::string& path, const std::string& key, std::string& userSid)
    {
        userSid.clear();
        if (root == RegistryRoot::CurrentUser)
            return path == key;
        const size_t slash = path.find('\\');
        if (root != RegistryRoot::Users || slash == std::string::npos || path.substr(slash + 1) != key)
            return false;
        userSid = path.substr(0, slash);
        return true;
    }
    uint32_t Record(const std::string& line)
    {
        log.push_back(line);
        return !failOn.empty() && line.rfind(failOn, 0) == 0 ? failError : 0;
    }
    static constexpr int kSpoolerRuns = 4;
    int m_handles[kSpoolerRuns] = {};
    int m_spoolerRun = 0;
};
