// The driver side of the print spooler: where driver files go, the driver's registration
// and the printer that uses it. Every call answers 0 or the Windows error of the failure.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

using PrinterHandle = void*;

// A level-3 driver record (DRIVER_INFO_3).
struct DriverRecord {
    uint32_t version = 0;
    std::string name;
    std::string environment;
    std::string driverPath;
    std::string dataFile;
    std::string configFile;
    std::string helpFile;
    // Zero-terminated names ended by an empty name, passed to the spooler byte for byte.
    std::vector<char> dependentFiles;
    std::string monitorName;
    std::string defaultDataType;
};

// The fields of a level-2 printer record (PRINTER_INFO_2) that the installation sets;
// every other field is zero.
struct PrinterRecord {
    std::string printerName;
    std::string portName;
    std::string driverName;
    std::string printProcessor;
    std::string datatype;
};

// What the spooler registered for a driver (DRIVER_INFO_3's file fields): full paths of the
// files in the driver's version folder, as the spooler reports them.
struct InstalledDriverFiles {
    uint32_t version = 0;
    std::string driverPath;
    std::string dataFile;
    std::string configFile;
    std::string helpFile;
    std::vector<std::string> dependentFiles;
};

class DriverSpooler {
public:
    virtual ~DriverSpooler() = default;
    // Fills `buffer` (`size` bytes) with the local driver directory of `environment`. When the
    // buffer is too small the answer is ERROR_INSUFFICIENT_BUFFER and `needed` the size asked for.
    virtual uint32_t GetDriverDirectory(const std::string& environment, char* buffer, uint32_t size,
                                        uint32_t& needed) = 0;
    // Registers the driver. With `blockingStatus`: AddPrinterDriverEx with APD_COPY_NEW_FILES (what
    // AddPrinterDriver does) and APD_RETURN_BLOCKING_STATUS_CODE, so that a driver that a policy
    // blocks answers ERROR_PRINTER_DRIVER_BLOCKED or _WARNED rather than
    // ERROR_UNKNOWN_PRINTER_DRIVER; without, AddPrinterDriver itself (docs/windows-rules.md R4).
    virtual uint32_t AddDriver(const DriverRecord& driver, bool blockingStatus) = 0;
    // The same registration of a driver that Windows warns about, which the user chose to
    // install anyway (AddPrinterDriverEx with APD_INSTALL_WARNED_DRIVER as well).
    virtual uint32_t AddWarnedDriver(const DriverRecord& driver, bool blockingStatus) = 0;
    // The registration of the driver `name` for `environment`, read back from the spooler;
    // ERROR_UNKNOWN_PRINTER_DRIVER (1797) when the spooler has none of that name.
    virtual uint32_t GetInstalledDriver(const std::string& name, const std::string& environment,
                                        InstalledDriverFiles& files) = 0;
    // A new printer; on success `printer` is its open handle.
    virtual uint32_t CreatePrinter(const PrinterRecord& record, PrinterHandle& printer) = 0;
    // An existing printer by name, opened for changing its settings.
    virtual uint32_t OpenExistingPrinter(const std::string& name, PrinterHandle& printer) = 0;
    // Puts an existing printer on the record's port and driver, keeping its other settings.
    virtual uint32_t RebindPrinter(PrinterHandle printer, const PrinterRecord& record) = 0;
    // The port and the driver of an opened printer (PRINTER_INFO_2), in the system code page.
    virtual uint32_t GetPrinterBinding(PrinterHandle printer, std::string& port, std::string& driver) = 0;
    virtual void ClosePrinter(PrinterHandle printer) = 0;
};
