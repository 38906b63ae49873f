#include <windows.h>
#include <winspool.h>

#include <vector>

#include "install/InstallSystem_win32.h"
#include "install/Win32Calls_win32.h"

uint32_t Win32DriverSpooler::GetDriverDirectory(const std::string& environment, char* buffer, uint32_t size,
                                                uint32_t& needed)
{
    DWORD got = 0;
    if (GetPrinterDriverDirectoryA(nullptr, MutableText(environment), 1, reinterpret_cast<BYTE*>(buffer), size, &got))
        return 0;
    uint32_t error = LastErrorOfFailedCall();
    needed = got;
    return error;
}

uint32_t Win32DriverSpooler::AddDriver(const DriverRecord& driver)
{
    DRIVER_INFO_3A info = {};
    info.cVersion = driver.version;
    info.pName = MutableText(driver.name);
    info.pEnvironment = MutableText(driver.environment);
    info.pDriverPath = MutableText(driver.driverPath);
    info.pDataFile = MutableText(driver.dataFile);
    info.pConfigFile = MutableText(driver.configFile);
    info.pHelpFile = MutableText(driver.helpFile);
    info.pDependentFiles = const_cast<char*>(driver.dependentFiles.data());
    info.pMonitorName = MutableText(driver.monitorName);
    info.pDefaultDataType = MutableText(driver.defaultDataType);
    if (AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&info)))
        return 0;
    return LastErrorOfFailedCall();
}

uint32_t Win32DriverSpooler::CreatePrinter(const PrinterRecord& record, PrinterHandle& printer)
{
    PRINTER_INFO_2A info = {};
    info.pPrinterName = MutableText(record.printerName);
    info.pPortName = MutableText(record.portName);
    info.pDriverName = MutableText(record.driverName);
    info.pPrintProcessor = MutableText(record.printProcessor);
    info.pDatatype = MutableText(record.datatype);
    HANDLE handle = ::AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    printer = handle;
    return handle != nullptr ? 0 : LastErrorOfFailedCall();
}

uint32_t Win32DriverSpooler::OpenExistingPrinter(const std::string& name, PrinterHandle& printer)
{
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE handle = nullptr;
    if (!::OpenPrinterA(MutableText(name), &handle, &defaults)) {
        printer = nullptr;
        return LastErrorOfFailedCall();
    }
    printer = handle;
    return 0;
}

uint32_t Win32DriverSpooler::RebindPrinter(PrinterHandle printer, const PrinterRecord& record)
{
    DWORD needed = 0;
    GetPrinterA(static_cast<HANDLE>(printer), 2, nullptr, 0, &needed);
    if (needed == 0)
        return LastErrorOfFailedCall();
    std::vector<BYTE> buffer(needed);
    if (!GetPrinterA(static_cast<HANDLE>(printer), 2, buffer.data(), needed, &needed))
        return LastErrorOfFailedCall();
    auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buffer.data());
    info->pPortName = MutableText(record.portName);
    info->pDriverName = MutableText(record.driverName);
    // Leave the printer's permissions as they are: a null descriptor changes none.
    info->pSecurityDescriptor = nullptr;
    if (SetPrinterA(static_cast<HANDLE>(printer), 2, buffer.data(), 0))
        return 0;
    return LastErrorOfFailedCall();
}

void Win32DriverSpooler::ClosePrinter(PrinterHandle printer)
{
    ::ClosePrinter(static_cast<HANDLE>(printer));
}
