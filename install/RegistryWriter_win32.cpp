#include <windows.h>

#include <string>

#include "install/InstallSystem_win32.h"
#include "system/RegistryDword_win32.h"

HKEY RootKey(RegistryRoot root)
{
    switch (root) {
    case RegistryRoot::CurrentUser:
        return HKEY_CURRENT_USER;
    case RegistryRoot::Users:
        return HKEY_USERS;
    case RegistryRoot::LocalMachine:
        break;
    }
    return HKEY_LOCAL_MACHINE;
}

uint32_t Win32RegistryWriter::OpenKey(RegistryRoot root, const std::string& path, RegistryKey& key)
{
    HKEY opened = nullptr;
    LONG status = RegOpenKeyExA(RootKey(root), path.c_str(), 0, KEY_SET_VALUE, &opened);
    key = status == ERROR_SUCCESS ? opened : nullptr;
    return static_cast<uint32_t>(status);
}

uint32_t Win32RegistryWriter::CreateKey(RegistryRoot root, const std::string& path, RegistryKey& key)
{
    HKEY opened = nullptr;
    // Read access too: a setting is looked at before it is changed (LegacyDefaultPrinterMode).
    LONG status = RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, &opened, nullptr);
    key = status == ERROR_SUCCESS ? opened : nullptr;
    return static_cast<uint32_t>(status);
}

uint32_t Win32RegistryWriter::SetStringValue(RegistryKey key, const std::string& name, const char* data,
                                             uint32_t size)
{
    return static_cast<uint32_t>(
        RegSetValueExA(static_cast<HKEY>(key), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data), size));
}

uint32_t Win32RegistryWriter::SetDwordValue(RegistryKey key, const std::string& name, uint32_t data)
{
    const DWORD value = data;
    return static_cast<uint32_t>(RegSetValueExA(static_cast<HKEY>(key), name.c_str(), 0, REG_DWORD,
                                                reinterpret_cast<const BYTE*>(&value), sizeof(value)));
}

uint32_t Win32RegistryWriter::ReadValue(RegistryKey key, const std::string& name, RegistryDword& value)
{
    const std::wstring wideName(name.begin(), name.end());  // our value names are ASCII
    return QueryRegistryDword(static_cast<HKEY>(key), wideName.c_str(), value);
}

void Win32RegistryWriter::CloseKey(RegistryKey key)
{
    RegCloseKey(static_cast<HKEY>(key));
}

void Win32RegistryWriter::AnnounceSettingChange(const std::string& section)
{
    // As SetDefaultPrinter does after writing "Device": programs that keep the default printer
    // re-read it. The timeout is per window; SMTO_ABORTIFHUNG skips windows that are hung already.
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(section.c_str()),
                        SMTO_ABORTIFHUNG | SMTO_NORMAL, 1000, &answer);
}
