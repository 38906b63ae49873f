#include <windows.h>
#include <winspool.h>

#include <vector>

#include "install/InstallSystem_win32.h"

namespace {

// The spooler's A functions take non-const strings but do not write to them.
char* Text(const std::string& text)
{
    return const_cast<char*>(text.c_str());
}

// A failed call that left no error code still must not read as success.
uint32_t LastError()
{
    DWORD error = GetLastError();
    return error != 0 ? error : ERROR_GEN_FAILURE;
}

}  // namespace

uint32_t Win32DriverSpooler::GetDriverDirectory(const std::string& environment, char* buffer, uint32_t size,
                                                uint32_t& needed)
{
    DWORD got = 0;
    if (GetPrinterDriverDirectoryA(nullptr, Text(environment), 1, reinterpret_cast<BYTE*>(buffer), size, &got))
        return 0;
    uint32_t error = LastError();
    needed = got;
    return error;
}

uint32_t Win32DriverSpooler::AddDriver(const DriverRecord& driver)
{
    DRIVER_INFO_3A info = {};
    info.cVersion = driver.version;
    info.pName = Text(driver.name);
    info.pEnvironment = Text(driver.environment);
    info.pDriverPath = Text(driver.driverPath);
    info.pDataFile = Text(driver.dataFile);
    info.pConfigFile = Text(driver.configFile);
    info.pHelpFile = Text(driver.helpFile);
    info.pDependentFiles = const_cast<char*>(driver.dependentFiles.data());
    info.pMonitorName = Text(driver.monitorName);
    info.pDefaultDataType = Text(driver.defaultDataType);
    if (AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&info)))
        return 0;
    return LastError();
}

uint32_t Win32DriverSpooler::CreatePrinter(const PrinterRecord& record, PrinterHandle& printer)
{
    PRINTER_INFO_2A info = {};
    info.pPrinterName = Text(record.printerName);
    info.pPortName = Text(record.portName);
    info.pDriverName = Text(record.driverName);
    info.pPrintProcessor = Text(record.printProcessor);
    info.pDatatype = Text(record.datatype);
    HANDLE handle = ::AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    printer = handle;
    return handle != nullptr ? 0 : LastError();
}

uint32_t Win32DriverSpooler::OpenExistingPrinter(const std::string& name, PrinterHandle& printer)
{
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE handle = nullptr;
    if (!::OpenPrinterA(Text(name), &handle, &defaults)) {
        printer = nullptr;
        return LastError();
    }
    printer = handle;
    return 0;
}

uint32_t Win32DriverSpooler::RebindPrinter(PrinterHandle printer, const PrinterRecord& record)
{
    DWORD needed = 0;
    GetPrinterA(static_cast<HANDLE>(printer), 2, nullptr, 0, &needed);
    if (needed == 0)
        return LastError();
    std::vector<BYTE> buffer(needed);
    if (!GetPrinterA(static_cast<HANDLE>(printer), 2, buffer.data(), needed, &needed))
        return LastError();
    auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buffer.data());
    info->pPortName = Text(record.portName);
    info->pDriverName = Text(record.driverName);
    // Leave the printer's permissions as they are: a null descriptor changes none.
    info->pSecurityDescriptor = nullptr;
    if (SetPrinterA(static_cast<HANDLE>(printer), 2, buffer.data(), 0))
        return 0;
    return LastError();
}

void Win32DriverSpooler::ClosePrinter(PrinterHandle printer)
{
    ::ClosePrinter(static_cast<HANDLE>(printer));
}
