#include <windows.h>
#include <winspool.h>

#include <cstring>
#include <vector>

#include "install/InstallSystem_win32.h"
#include "install/Uninstall_win32.h"
#include "system/RegistryDword_win32.h"
#include "system/SizedEnumeration.h"
#include "system/TextConversion_win32.h"
#include "system/Win32Calls_win32.h"
#include "system/Win32ErrorCodes.h"

static_assert(kErrorUnknownPrinterDriver == ERROR_UNKNOWN_PRINTER_DRIVER, "ERROR_UNKNOWN_PRINTER_DRIVER");
static_assert(kErrorInvalidPrinterName == ERROR_INVALID_PRINTER_NAME, "ERROR_INVALID_PRINTER_NAME");
static_assert(kErrorPrinterDriverInUse == ERROR_PRINTER_DRIVER_IN_USE, "ERROR_PRINTER_DRIVER_IN_USE");
static_assert(kErrorMoreData == ERROR_MORE_DATA, "ERROR_MORE_DATA");
static_assert(kRegistryString == REG_SZ && kRegistryExpandString == REG_EXPAND_SZ, "REG_SZ, REG_EXPAND_SZ");

uint32_t Win32UninstallSystem::OpenPrinterForRemoval(const std::string& name, PrinterHandle& printer)
{
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE handle = nullptr;
    printer = nullptr;
    if (!OpenPrinterA(MutableText(name), &handle, &defaults))
        return LastErrorOfFailedCall();
    printer = handle;
    return 0;
}

uint32_t Win32UninstallSystem::DeletePrinter(PrinterHandle printer)
{
    return ::DeletePrinter(static_cast<HANDLE>(printer)) ? 0 : LastErrorOfFailedCall();
}

void Win32UninstallSystem::ClosePrinter(PrinterHandle printer)
{
    ::ClosePrinter(static_cast<HANDLE>(printer));
}

uint32_t Win32UninstallSystem::ListPrinters(std::vector<SpoolerPrinter>& printers)
{
    printers.clear();
    // Unicode: a printer named outside the code page must not come back as question marks.
    // A connection to a shared printer runs on a local copy of the server's driver.
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    SizedEnumeration listed = EnumerateSized(
        [flags](uint8_t* buffer, uint32_t size, uint32_t& needed, uint32_t& returned) -> uint32_t {
            DWORD neededBytes = 0, count = 0;
            BOOL ok = EnumPrintersW(flags, nullptr, 2, buffer, size, &neededBytes, &count);
            needed = neededBytes;
            returned = count;
            return ok ? 0 : LastErrorOfFailedCall();
        },
        sizeof(PRINTER_INFO_2W));
    const auto* records = reinterpret_cast<const PRINTER_INFO_2W*>(listed.bytes.data());
    for (uint32_t i = 0; i < listed.count; ++i)
        printers.push_back({Utf8Of(records[i].pPrinterName), Utf8Of(records[i].pDriverName)});
    return listed.error;
}

uint32_t Win32UninstallSystem::DeleteDriver(const std::string& environment, const std::string& name)
{
    // Wine's spooler fails without an error code for a driver it does not have: ask first.
    bool listed = false;
    if (uint32_t error = DriverListed(environment, name, listed))
        return error;
    if (!listed)
        return ERROR_UNKNOWN_PRINTER_DRIVER;
    // Every version the spooler filed the driver under (Windows may file it under another
    // version than the record's); files that another driver still uses stay.
    if (DeletePrinterDriverExA(nullptr, MutableText(environment), MutableText(name), DPD_DELETE_UNUSED_FILES, 0))
        return 0;
    uint32_t error = LastErrorOfFailedCall();
    // A spooler that cannot remove driver files (Wine's refuses every flag) still takes the
    // registration away; the files then stay in the driver directory, unused.
    if (error == ERROR_INVALID_PARAMETER) {
        if (DeletePrinterDriverExA(nullptr, MutableText(environment), MutableText(name), 0, 0))
            return 0;
        error = LastErrorOfFailedCall();
    }
    return error;
}

uint32_t Win32UninstallSystem::DriverListed(const std::string& environment, const std::string& name, bool& listed)
{
    listed = false;
    SizedEnumeration drivers = EnumerateDrivers(environment, 1, sizeof(DRIVER_INFO_1A));
    const auto* records = reinterpret_cast<const DRIVER_INFO_1A*>(drivers.bytes.data());
    for (uint32_t i = 0; i < drivers.count; ++i)
        if (records[i].pName != nullptr && lstrcmpiA(records[i].pName, name.c_str()) == 0)
            listed = true;
    return drivers.error;
}

uint32_t Win32UninstallSystem::ReadStringValue(RegistryRoot root, const std::string& path, const std::string& name,
                                              RegistryString& value)
{
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(RootKey(root), path.c_str(), 0, KEY_QUERY_VALUE, &key);
    if (status != ERROR_SUCCESS)
        return static_cast<uint32_t>(status);
    const std::wstring wideName = WidenAnsi(name);
    DWORD type = 0, size = 0;
    status = RegQueryValueExW(key, wideName.c_str(), nullptr, &type, nullptr, &size);
    value.type = type;
    value.text.clear();
    // Only a string is read: the data of another type is no text, whatever its bytes.
    if (status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        // The stored data need not end with a zero, and may be grown in between: room for both.
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
        DWORD room = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
        status = RegQueryValueExW(key, wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &room);
        if (status == ERROR_SUCCESS)
            value.text = Utf8Of(buffer.data());
    }
    RegCloseKey(key);
    return static_cast<uint32_t>(status);
}

uint32_t Win32UninstallSystem::ReadDwordValue(RegistryRoot root, const std::string& path, const std::string& name,
                                             RegistryDword& value)
{
    value = RegistryDword();
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(RootKey(root), path.c_str(), 0, KEY_QUERY_VALUE, &key);
    if (status != ERROR_SUCCESS)
        return static_cast<uint32_t>(status);
    const uint32_t error = QueryRegistryDword(key, WidenAnsi(name).c_str(), value);
    RegCloseKey(key);
    return error;
}

uint32_t Win32UninstallSystem::SetDwordValue(RegistryRoot root, const std::string& path, const std::string& name,
                                            uint32_t data)
{
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(RootKey(root), path.c_str(), 0, KEY_SET_VALUE, &key);
    if (status != ERROR_SUCCESS)
        return static_cast<uint32_t>(status);
    const DWORD value = data;
    status = RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
    return static_cast<uint32_t>(status);
}

uint32_t Win32UninstallSystem::DeleteValue(RegistryRoot root, const std::string& path, const std::string& name)
{
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(RootKey(root), path.c_str(), 0, KEY_SET_VALUE, &key);
    if (status != ERROR_SUCCESS)
        return static_cast<uint32_t>(status);
    status = RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
    return static_cast<uint32_t>(status);
}

uint32_t Win32UninstallSystem::DeleteKey(RegistryRoot root, const std::string& path)
{
    return static_cast<uint32_t>(RegDeleteKeyA(RootKey(root), path.c_str()));
}
