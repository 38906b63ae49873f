#include "InstallationWineSupport.h"

#include <winspool.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "WineTestSupport.h"

const char kDriver[] = "VELM58KD";
const char kWindowsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
const char kPortsKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";

bool OnWindowsX64()
{
    BOOL wow64 = FALSE;
    return sizeof(void*) == 8 || (IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
}

const char* HostEnvironment() { return OnWindowsX64() ? "Windows x64" : "Windows NT x86"; }
std::string HostDriverFolder() { return OnWindowsX64() ? "Printer Driver\\x64" : "Printer Driver\\x86"; }
std::string HostUsbInstaller() { return OnWindowsX64() ? "USB Driver\\x64\\dpinstx64.exe" : "USB Driver\\x86\\dpinstx86.exe"; }

// The printer of this model, and its driver in both environments, off the spooler.
void RemovePrinterAndDriver()
{
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (OpenPrinterA(const_cast<char*>(kDriver), &printer, &defaults)) {
        DeletePrinter(printer);
        ClosePrinter(printer);
    }
    DeletePrinterDriverA(nullptr, const_cast<char*>("Windows x64"), const_cast<char*>(kDriver));
    DeletePrinterDriverA(nullptr, const_cast<char*>("Windows NT x86"), const_cast<char*>(kDriver));
}

std::string DriverDirectory(const char* environment)
{
    char buffer[MAX_PATH] = {};
    DWORD needed = 0;
    GetPrinterDriverDirectoryA(nullptr, const_cast<char*>(environment), 1, reinterpret_cast<BYTE*>(buffer),
                               sizeof(buffer), &needed);
    return buffer;
}

void DeletePackageFiles(const std::string& directory)
{
    for (const char* name : kPackageFiles)
        DeleteFileA((directory + "\\" + name).c_str());
}

// A string value, or "<none>" when it is not there.
std::string RegistryString(HKEY root, const char* key, const char* name, DWORD* size)
{
    char data[512] = {};
    DWORD length = sizeof(data), type = 0;
    if (RegGetValueA(root, key, name, RRF_RT_ANY | RRF_NOEXPAND, &type, data, &length) != ERROR_SUCCESS)
        return "<none>";
    if (size)
        *size = length;
    return data;
}

bool SetRegistryString(HKEY root, const char* key, const char* name, const std::string& data)
{
    HKEY opened = nullptr;
    if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr) != ERROR_SUCCESS)
        return false;
    LONG written = RegSetValueExA(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                  static_cast<DWORD>(data.size() + 1));
    RegCloseKey(opened);
    return written == ERROR_SUCCESS;
}

std::string DeviceValue()
{
    return RegistryString(HKEY_CURRENT_USER, kWindowsKey, "Device");
}

bool SetDeviceValue(const std::string& data)
{
    return SetRegistryString(HKEY_CURRENT_USER, kWindowsKey, "Device", data);
}


InstalledDriver FindDriver(const char* environment)
{
    InstalledDriver result;
    DWORD needed = 0, count = 0;
    EnumPrinterDriversA(nullptr, const_cast<char*>(environment), 3, nullptr, 0, &needed, &count);
    if (needed == 0)
        return result;
    std::vector<BYTE> buffer(needed);
    if (!EnumPrinterDriversA(nullptr, const_cast<char*>(environment), 3, buffer.data(), needed, &needed, &count))
        return result;
    auto* drivers = reinterpret_cast<DRIVER_INFO_3A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        const DRIVER_INFO_3A& d = drivers[i];
        if (!d.pName || std::string(d.pName) != kDriver)
            continue;
        result.found = true;
        result.version = d.cVersion;
        result.environment = d.pEnvironment ? d.pEnvironment : "";
        result.driverPath = d.pDriverPath ? d.pDriverPath : "";
        result.dataFile = d.pDataFile ? d.pDataFile : "";
        result.configFile = d.pConfigFile ? d.pConfigFile : "";
        result.helpFile = d.pHelpFile ? d.pHelpFile : "";
        result.defaultDataType = d.pDefaultDataType ? d.pDefaultDataType : "";
        for (const char* name = d.pDependentFiles; name && *name; name += strlen(name) + 1)
            result.dependentFiles.push_back(name);
    }
    return result;
}


InstalledPrinter FindPrinter()
{
    InstalledPrinter result;
    HANDLE printer = nullptr;
    if (!OpenPrinterA(const_cast<char*>(kDriver), &printer, nullptr))
        return result;
    DWORD needed = 0;
    GetPrinterA(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (needed && GetPrinterA(printer, 2, buffer.data(), needed, &needed)) {
        auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buffer.data());
        result.found = true;
        result.port = info->pPortName ? info->pPortName : "";
        result.driver = info->pDriverName ? info->pDriverName : "";
        result.printProcessor = info->pPrintProcessor ? info->pPrintProcessor : "";
        result.datatype = info->pDatatype ? info->pDatatype : "";
    }
    ClosePrinter(printer);
    return result;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && _stricmp(text.c_str() + text.size() - end.size(), end.c_str()) == 0;
}

bool UseSealedProgram(const std::string& folder)
{
    // A seal names its own package's files: with the release's package (WIZARD_PACKAGE_DIR),
    // the release program sealed against that package (WIZARD_SEALED_PROGRAM).
    const std::string sealed = PathFromEnvironment("WIZARD_SEALED_PROGRAM", "");
    if (sealed.empty() && !PathFromEnvironment("WIZARD_PACKAGE_DIR", "").empty()) {
        std::fprintf(stderr, "WIZARD_PACKAGE_DIR without WIZARD_SEALED_PROGRAM: this build's seal does not name that package's files\n");
        return false;
    }
    return CopyFileA((sealed.empty() ? TestProgramDir() + "\\PrinterSetup-sealed.exe" : sealed).c_str(),
                     (folder + "\\PrinterSetup.exe").c_str(), FALSE);
}

bool FlipByte(const std::string& path, LONG at)
{
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    char byte = 0;
    file.seekg(at).get(byte);
    file.seekp(at).put(static_cast<char>(~byte));
    return file.flush().good();
}
