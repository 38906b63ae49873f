#include <windows.h>
#include <winspool.h>

#include <cstring>
#include <vector>

#include "install/DriverReadBack.h"
#include "install/InstallSystem_win32.h"
#include "system/SizedEnumeration.h"
#include "system/TextCompare.h"
#include "system/TextConversion_win32.h"
#include "system/Win32Calls_win32.h"

namespace {

std::string TextOrEmpty(const char* text)
{
    return text != nullptr ? std::string(text) : std::string();
}

wchar_t* MutableWide(std::wstring& text)
{
    return const_cast<wchar_t*>(text.c_str());
}

}  // namespace

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

namespace {

// Not in MinGW's winspool.h; the values Windows' winspool.h and [MS-RPRN] 3.1.4.4.8 give them.
constexpr DWORD kInstallWarnedDriver = 0x00008000;         // APD_INSTALL_WARNED_DRIVER
constexpr DWORD kReturnBlockingStatusCode = 0x00010000;  // APD_RETURN_BLOCKING_STATUS_CODE

DRIVER_INFO_3A DriverInfoOf(const DriverRecord& driver)
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
    return info;
}

}  // namespace

uint32_t Win32DriverSpooler::AddDriver(const DriverRecord& driver, bool blockingStatus)
{
    m_registeredVersion = driver.version;
    DRIVER_INFO_3A info = DriverInfoOf(driver);
    BYTE* record = reinterpret_cast<BYTE*>(&info);
    // APD_COPY_NEW_FILES is what AddPrinterDriver does ("AddPrinterDriverEx function").
    if (blockingStatus ? AddPrinterDriverExA(nullptr, 3, record, APD_COPY_NEW_FILES | kReturnBlockingStatusCode)
                       : AddPrinterDriverA(nullptr, 3, record))
        return 0;
    return LastErrorOfFailedCall();
}

uint32_t Win32DriverSpooler::AddWarnedDriver(const DriverRecord& driver, bool blockingStatus)
{
    m_registeredVersion = driver.version;
    DRIVER_INFO_3A info = DriverInfoOf(driver);
    const DWORD flags = APD_COPY_NEW_FILES | kInstallWarnedDriver | (blockingStatus ? kReturnBlockingStatusCode : 0);
    if (AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&info), flags))
        return 0;
    return LastErrorOfFailedCall();
}

uint32_t Win32DriverSpooler::GetInstalledDriver(const std::string& name, const std::string& environment,
                                                InstalledDriverFiles& files)
{
    // Enumerated rather than read through a printer, so that the files can be checked before
    // a printer is put on the driver.
    SizedEnumeration listed = EnumerateDrivers(environment, 3, sizeof(DRIVER_INFO_3A));
    if (listed.error != 0)
        return listed.error;
    const auto* drivers = reinterpret_cast<const DRIVER_INFO_3A*>(listed.bytes.data());
    // A driver name is listed once per driver version the spooler holds for it.
    std::vector<const DRIVER_INFO_3A*> entries;
    std::vector<uint32_t> versions;
    for (uint32_t i = 0; i < listed.count; ++i)
        if (drivers[i].pName != nullptr && SameTextIgnoringCase(drivers[i].pName, name)) {
            entries.push_back(&drivers[i]);
            versions.push_back(drivers[i].cVersion);
        }
    const int picked = PickRegisteredEntry(versions, m_registeredVersion);
    if (picked < 0)
        return ERROR_UNKNOWN_PRINTER_DRIVER;
    const DRIVER_INFO_3A& driver = *entries[static_cast<size_t>(picked)];
    files = InstalledDriverFiles();
    files.version = driver.cVersion;
    files.driverPath = TextOrEmpty(driver.pDriverPath);
    files.dataFile = TextOrEmpty(driver.pDataFile);
    files.configFile = TextOrEmpty(driver.pConfigFile);
    files.helpFile = TextOrEmpty(driver.pHelpFile);
    for (const char* file = driver.pDependentFiles; file != nullptr && *file != '\0'; file += strlen(file) + 1)
        files.dependentFiles.push_back(file);
    return 0;
}

// The printer is added and changed through the W functions, its record's texts converted from
// the system code page as an A function would: Wine's AddPrinterA and SetPrinterA free their
// converted strings with the C runtime's free(), which fails on those process-heap buffers and
// leaves ERROR_INVALID_PARAMETER in place of the spooler's own error (an unknown driver, 1797,
// would be reported as 87, "Invalid parameter").
uint32_t Win32DriverSpooler::CreatePrinter(const PrinterRecord& record, PrinterHandle& printer)
{
    std::wstring name = WidenAnsi(record.printerName), port = WidenAnsi(record.portName), driver = WidenAnsi(record.driverName),
                 processor = WidenAnsi(record.printProcessor), datatype = WidenAnsi(record.datatype);
    PRINTER_INFO_2W info = {};
    info.pPrinterName = MutableWide(name);
    info.pPortName = MutableWide(port);
    info.pDriverName = MutableWide(driver);
    info.pPrintProcessor = MutableWide(processor);
    info.pDatatype = MutableWide(datatype);
    HANDLE handle = ::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
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

namespace {

// PRINTER_INFO_2W of an opened printer into `buffer`.
uint32_t ReadPrinterInfo2(PrinterHandle printer, std::vector<BYTE>& buffer)
{
    DWORD needed = 0;
    GetPrinterW(static_cast<HANDLE>(printer), 2, nullptr, 0, &needed);
    if (needed == 0)
        return LastErrorOfFailedCall();
    buffer.resize(needed);
    return GetPrinterW(static_cast<HANDLE>(printer), 2, buffer.data(), needed, &needed) ? 0 : LastErrorOfFailedCall();
}

}  // namespace

uint32_t Win32DriverSpooler::GetPrinterBinding(PrinterHandle printer, std::string& port, std::string& driver)
{
    std::vector<BYTE> buffer;
    if (uint32_t error = ReadPrinterInfo2(printer, buffer))
        return error;
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    // A name the code page cannot hold is no name of ours: it compares unequal, as it should.
    if (info->pPortName == nullptr || !NarrowExactly(info->pPortName, CP_ACP, port))
        port.clear();
    if (info->pDriverName == nullptr || !NarrowExactly(info->pDriverName, CP_ACP, driver))
        driver.clear();
    return 0;
}

uint32_t Win32DriverSpooler::RebindPrinter(PrinterHandle printer, const PrinterRecord& record)
{
    std::vector<BYTE> buffer;
    if (uint32_t error = ReadPrinterInfo2(printer, buffer))
        return error;
    std::wstring port = WidenAnsi(record.portName), driver = WidenAnsi(record.driverName);
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
    info->pPortName = MutableWide(port);
    info->pDriverName = MutableWide(driver);
    // Leave the printer's permissions as they are: a null descriptor changes none.
    info->pSecurityDescriptor = nullptr;
    if (SetPrinterW(static_cast<HANDLE>(printer), 2, buffer.data(), 0))
        return 0;
    return LastErrorOfFailedCall();
}

void Win32DriverSpooler::ClosePrinter(PrinterHandle printer)
{
    ::ClosePrinter(static_cast<HANDLE>(printer));
}
