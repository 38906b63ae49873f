// The installation's and the removal's spooler calls with the Print Spooler service looked at
// when one fails, and the call made once more when the service was started for it. A printer
// handle dies with the spooler process that gave it, so a call that takes one is made again as
// a whole: open, call, close. The registry calls of the removal pass through unchanged.
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
    uint32_t AddDriver(const DriverRecord& driver, bool blockingStatus) override;
    uint32_t AddWarnedDriver(const DriverRecord& driver, bool blockingStatus) override;
    uint32_t GetInstalledDriver(const std::string& name, const std::string& environment,
                                InstalledDriverFiles& files) override;
    uint32_t CreatePrinter(const PrinterRecord& record, PrinterHandle& printer) override;
    uint32_t OpenExistingPrinter(const std::string& name, PrinterHandle& printer) override;
    uint32_t RebindPrinter(PrinterHandle printer, const PrinterRecord& record) override;
    uint32_t GetPrinterBinding(PrinterHandle printer, std::string& port, std::string& driver) override
    {
        return m_spooler.GetPrinterBinding(printer, port, driver);
    }
    void ClosePrinter(PrinterHandle printer) override { m_spooler.ClosePrinter(printer); }

private:
    uint32_t FindPrinterAddedBeforeRestart(const PrinterRecord& record, PrinterHandle& printer);

    DriverSpooler& m_spooler;
    SpoolerServiceGuard& m_guard;
};

class ServiceCheckedUninstallSystem : public UninstallSystem {
public:
    ServiceCheckedUninstallSystem(UninstallSystem& system, SpoolerServiceGuard& guard) : m_system(system), m_guard(guard)
    {
    }
    uint32_t OpenPrinterForRemoval(const std::string& name, PrinterHandle& printer) override;
    // Deletes the printer last opened here; after a restart it opens the printer anew.
    uint32_t DeletePrinter(PrinterHandle printer) override;
    void ClosePrinter(PrinterHandle printer) override { m_system.ClosePrinter(printer); }
    uint32_t ListPrinters(std::vector<SpoolerPrinter>& printers) override;
    uint32_t DeleteDriver(const std::string& environment, const std::string& name) override;
    // The registry is no spooler call: passed on as it is.
    uint32_t ReadStringValue(RegistryRoot root, const std::string& path, const std::string& name,
                             RegistryString& value) override
    {
        return m_system.ReadStringValue(root, path, name, value);
    }
    uint32_t ReadDwordValue(RegistryRoot root, const std::string& path, const std::string& name,
                            RegistryDword& value) override
    {
        return m_system.ReadDwordValue(root, path, name, value);
    }
    uint32_t SetDwordValue(RegistryRoot root, const std::string& path, const std::string& name, uint32_t data) override
    {
        return m_system.SetDwordValue(root, path, name, data);
    }
    uint32_t DeleteValue(RegistryRoot root, const std::string& path, const std::string& name) override
    {
        return m_system.DeleteValue(root, path, name);
    }
    uint32_t DeleteKey(RegistryRoot root, const std::string& path) override { return m_system.DeleteKey(root, path); }

private:
    UninstallSystem& m_system;
    SpoolerServiceGuard& m_guard;
    std::string m_openedName;
};
