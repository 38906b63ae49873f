// The Win32 side of the removal: winspool for the printer and its driver, the registry keys
// the removal names; which keys and what their values mean is decided in Uninstallation.cpp.
#pragma once
#include "install/Uninstallation.h"

class Win32UninstallSystem : public UninstallSystem {
public:
    uint32_t OpenPrinterForRemoval(const std::string& name, PrinterHandle& printer) override;
    uint32_t DeletePrinter(PrinterHandle printer) override;
    void ClosePrinter(PrinterHandle printer) override;
    uint32_t ListPrinters(std::vector<SpoolerPrinter>& printers) override;
    uint32_t DeleteDriver(const std::string& environment, const std::string& name) override;
    uint32_t ReadStringValue(RegistryRoot root, const std::string& path, const std::string& name,
                             RegistryString& value) override;
    uint32_t ReadDwordValue(RegistryRoot root, const std::string& path, const std::string& name,
                            RegistryDword& value) override;
    uint32_t SetDwordValue(RegistryRoot root, const std::string& path, const std::string& name, uint32_t data) override;
    uint32_t DeleteValue(RegistryRoot root, const std::string& path, const std::string& name) override;
    uint32_t DeleteKey(RegistryRoot root, const std::string& path) override;

private:
    // Whether EnumPrinterDrivers lists a driver of that name for the environment.
    static uint32_t DriverListed(const std::string& environment, const std::string& name, bool& listed);
};
