#include <windows.h>

#include "install/InstallSystem_win32.h"

namespace {

HKEY RootKey(RegistryRoot root)
{
    return root == RegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

}  // namespace

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
    LONG status = RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                  nullptr, &opened, nullptr);
    key = status == ERROR_SUCCESS ? opened : nullptr;
    return static_cast<uint32_t>(status);
}

uint32_t Win32RegistryWriter::SetStringValue(RegistryKey key, const std::string& name, const char* data,
                                             uint32_t size)
{
    return static_cast<uint32_t>(
        RegSetValueExA(static_cast<HKEY>(key), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data), size));
}

void Win32RegistryWriter::CloseKey(RegistryKey key)
{
    RegCloseKey(static_cast<HKEY>(key));
}
