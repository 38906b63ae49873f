// The Win32 side of the installation: winspool for the driver and the printer, the file
// system for the package, and the registry. Each call reports its result with GetLastError
// (or the registry's own status).
#pragma once
#include <windows.h>

#include <vector>

#include "install/DriverSpooler.h"
#include "install/PackageFiles.h"
#include "install/RegistryWriter.h"

class Win32DriverSpooler : public DriverSpooler {
public:
    uint32_t GetDriverDirectory(const std::string& environment, char* buffer, uint32_t size,
                                uint32_t& needed) override;
    uint32_t AddDriver(const DriverRecord& driver, bool blockingStatus) override;
    uint32_t AddWarnedDriver(const DriverRecord& driver, bool blockingStatus) override;
    uint32_t GetInstalledDriver(const std::string& name, const std::string& environment,
                                InstalledDriverFiles& files) override;
    uint32_t CreatePrinter(const PrinterRecord& record, PrinterHandle& printer) override;
    uint32_t OpenExistingPrinter(const std::string& name, PrinterHandle& printer) override;
    uint32_t RebindPrinter(PrinterHandle printer, const PrinterRecord& record) override;
    uint32_t GetPrinterBinding(PrinterHandle printer, std::string& port, std::string& driver) override;
    void ClosePrinter(PrinterHandle printer) override;

private:
    // The version of the record last registered: the read-back takes that entry of the driver.
    uint32_t m_registeredVersion = 0;
};

class Win32PackageFiles : public PackageFiles {
public:
    uint32_t CheckReadable(const std::string& path, uint64_t& size) override;
    bool HasFolder(const std::string& path) override;
    uint32_t Copy(const std::string& from, const std::string& to) override;
    uint32_t Read(const std::string& path, const FilePieces& pieces) override;
    uint32_t HoldAndRead(const std::string& path, const FilePieces& pieces) override;
    void ReleaseHeldFiles() override;
    uint32_t ReadFacts(const std::string& path, DriverFileFacts& facts) override;
    ~Win32PackageFiles() override { ReleaseHeldFiles(); }

private:
    std::vector<void*> m_held;  // HANDLEs
};

// The registry's predefined key for a root.
HKEY RootKey(RegistryRoot root);

class Win32RegistryWriter : public RegistryWriter {
public:
    uint32_t OpenKey(RegistryRoot root, const std::string& path, RegistryKey& key) override;
    uint32_t CreateKey(RegistryRoot root, const std::string& path, RegistryKey& key) override;
    uint32_t SetStringValue(RegistryKey key, const std::string& name, const char* data, uint32_t size) override;
    uint32_t SetDwordValue(RegistryKey key, const std::string& name, uint32_t data) override;
    uint32_t ReadValue(RegistryKey key, const std::string& name, RegistryDword& value) override;
    void CloseKey(RegistryKey key) override;
    void AnnounceSettingChange(const std::string& section) override;
};
