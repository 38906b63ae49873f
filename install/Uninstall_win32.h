// The Win32 side of the removal: winspool for the printer and its driver, the registry for
// the user's default printer value.
#pragma once
#include "install/Uninstallation.h"

class Win32UninstallSystem : public UninstallSystem {
public:
    uint32_t OpenPrinterForRemoval(const std::string& name, PrinterHandle& printer) override;
    uint32_t DeletePrinter(PrinterHandle printer) override;
    void ClosePrinter(PrinterHandle printer) override;
    uint32_t ListPrinters(std::vector<SpoolerPrinter>& printers) override;
    uint32_t DeleteDriver(const std::string& environment, const std::string& name) override;
    uint32_t ReadDefaultPrinterValue(const std::string& userSid, DeviceValueData& value) override;
    uint32_t DeleteDefaultPrinterValue(const std::string& userSid) override;
    uint32_t ReadLegacyModeRecord(const std::string& userSid, std::string& before) override;
    uint32_t ReadLegacyDefaultPrinterMode(const std::string& userSid, RegistryDword& value) override;
    uint32_t RestoreLegacyDefaultPrinterMode(const std::string& userSid, bool absent, uint32_t value) override;
    uint32_t DeleteLegacyModeRecord(const std::string& userSid) override;

private:
    // Whether EnumPrinterDrivers lists a driver of that name for the environment.
    static uint32_t DriverListed(const std::string& environment, const std::string& name, bool& listed);
};
