// A spooler and user registry holding the installed printer, its driver and a Device value
// that names it, and any other printers of `otherPrinters`. Every call lands in `log`; the call whose log line starts with `failOn`
// fails with `failError` and changes nothing.
#pragma once
#include <optional>
#include <string>
#include <vector>

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
        printer = &m_handle;
        ++openHandles;
        return 0;
    }
    uint32_t DeletePrinter(PrinterHandle printer) override
    {
        if (printer != &m_handle)
            return 6;  // ERROR_INVALID_HANDLE
        if (uint32_t error = Record("DeletePrinter"))
            return error;
        printerPresent = false;
        return 0;
    }
    void ClosePrinter(PrinterHandle printer) override
    {
        Record(printer == &m_handle ? "ClosePrinter" : "ClosePrinter (no handle)");
        if (printer == &m_handle)
            --openHandles;
    }
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
    uint32_t ReadDefaultPrinterValue(const std::string& userSid, DeviceValueData& value) override
    {
        if (uint32_t error = Record(userSid.empty() ? "ReadDevice" : "ReadDevice " + userSid))
            return error;
        if (!device || userSid != deviceHive)
            return kErrorFileNotFound;
        value.type = deviceType;
        value.text = deviceType == 1 || deviceType == 2 ? *device : std::string();
        return 0;
    }
    uint32_t DeleteDefaultPrinterValue(const std::string& userSid) override
    {
        if (uint32_t error = Record(userSid.empty() ? "DeleteDevice" : "DeleteDevice " + userSid))
            return error;
        if (!device || userSid != deviceHive)
            return kErrorFileNotFound;
        device.reset();
        return 0;
    }

    // LegacyDefaultPrinterMode as it is, and the installation's record of it before (in `deviceHive` only).
    RegistryDword legacyMode;
    std::optional<std::string> legacyRecord;
    // Not logged (reading changes nothing), so that a removal without a record logs only its changes.
    uint32_t ReadLegacyModeRecord(const std::string& userSid, std::string& before) override
    {
        before = legacyRecord.value_or("");
        return legacyRecord && userSid == deviceHive ? 0 : kErrorFileNotFound;
    }
    uint32_t ReadLegacyDefaultPrinterMode(const std::string& userSid, RegistryDword& value) override
    {
        value = legacyMode;
        return Record("ReadLegacyMode" + Hive(userSid));
    }
    uint32_t RestoreLegacyDefaultPrinterMode(const std::string& userSid, bool absent, uint32_t value) override
    {
        return Record((absent ? "DeleteLegacyMode" : "SetLegacyMode " + std::to_string(value)) + Hive(userSid));
    }
    uint32_t DeleteLegacyModeRecord(const std::string& sid) override { return Record("DeleteLegacyRecord" + Hive(sid)); }

private:
    static std::string Hive(const std::string& userSid) { return userSid.empty() ? std::string() : " " + userSid; }
    uint32_t Record(const std::string& line)
    {
        log.push_back(line);
        return !failOn.empty() && line.rfind(failOn, 0) == 0 ? failError : 0;
    }
    int m_handle = 0;
};
