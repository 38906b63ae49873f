// The installation's and the removal's spooler calls with the Print Spooler service looked at
// when one fails, and the call made once more when the service was started for it. The
// registry calls of the removal pass through unchanged.
#pragma once
#include "install/DriverSpooler.h"
#include "install/Uninstallation.h"
#include "system/SpoolerService.h"

class ServiceCheckedDriverSpooler : public DriverSpooler {
public:
    ServiceCheckedDriverSpooler(DriverSpooler& spooler, SpoolerServiceGuard& guard) : m_spooler(spooler), m_guard(guard)
    {
    }
    uint32_t GetDriverDirectory(const std::string& environment, char* buffer, uint32_t size, uint32_t& needed) override;
    uint32_t AddDriver(const DriverRecord& driver) override;
    uint32_t AddWarnedDriver(const DriverRecord& driver) override;
    uint32_t GetInstalledDriver(const std::string& name, const std::string& environment,
                                InstalledDriverFiles& files) override;
    uint32_t CreatePrinter(const PrinterRecord& record, PrinterHandle& printer) override;
    uint32_t OpenExistingPrinter(const std::string& name, PrinterHandle& printer) override;
    uint32_t RebindPrinter(PrinterHandle printer, const PrinterRecord& record) override;
    void ClosePrinter(PrinterHandle printer) override { m_spooler.ClosePrinter(printer); }

private:
    template <class Call>
    uint32_t Checked(const Call& call)
    {
        uint32_t error = call();
        if (error != 0 && m_guard.ShouldRepeat(error))
            error = call();
        return error;
    }
    DriverSpooler& m_spooler;
    SpoolerServiceGuard& m_guard;
};

class ServiceCheckedUninstallSystem : public UninstallSystem {
public:
    ServiceCheckedUninstallSystem(UninstallSystem& system, SpoolerServiceGuard& guard) : m_system(system), m_guard(guard)
    {
    }
    uint32_t OpenPrinterForRemoval(const std::string& name, PrinterHandle& printer) override;
    uint32_t DeletePrinter(PrinterHandle printer) override;
    void ClosePrinter(PrinterHandle printer) override { m_system.ClosePrinter(printer); }
    uint32_t ListPrinters(std::vector<SpoolerPrinter>& printers) override;
    uint32_t DeleteDriver(const std::string& environment, const std::string& name) override;
    uint32_t ReadDefaultPrinterValue(const std::string& userSid, DeviceValueData& value) override
    {
        return m_system.ReadDefaultPrinterValue(userSid, value);
    }
    uint32_t DeleteDefaultPrinterValue(const std::string& userSid) override
    {
        return m_system.DeleteDefaultPrinterValue(userSid);
    }
    uint32_t ReadLegacyModeRecord(const std::string& userSid, std::string& before) override
    {
        return m_system.ReadLegacyModeRecord(userSid, before);
    }
    uint32_t ReadLegacyDefaultPrinterMode(const std::string& userSid, RegistryDword& value) override
    {
        return m_system.ReadLegacyDefaultPrinterMode(userSid, value);
    }
    uint32_t RestoreLegacyDefaultPrinterMode(const std::string& userSid, bool absent, uint32_t value) override
    {
        return m_system.RestoreLegacyDefaultPrinterMode(userSid, absent, value);
    }
    uint32_t DeleteLegacyModeRecord(const std::string& userSid) override
    {
        return m_system.DeleteLegacyModeRecord(userSid);
    }

private:
    template <class Call>
    uint32_t Checked(const Call& call)
    {
        uint32_t error = call();
        if (error != 0 && m_guard.ShouldRepeat(error))
            error = call();
        return error;
    }
    UninstallSystem& m_system;
    SpoolerServiceGuard& m_guard;
};
