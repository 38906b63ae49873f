// Reading a registry value that is meant to be a REG_DWORD, as the policies and Windows' own
// settings write it.
#pragma once
#include <windows.h>

#include "system/RegistryDword.h"

// 0 with `value` Absent, Dword or OtherType; any other failure is the registry's error.
inline uint32_t QueryRegistryDword(HKEY key, const wchar_t* name, RegistryDword& value)
{
    value = RegistryDword();
    DWORD type = 0, data = 0, size = sizeof(data);
    const LONG status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    if (status == ERROR_FILE_NOT_FOUND)
        return 0;
    if (status == ERROR_MORE_DATA || (status == ERROR_SUCCESS && (type != REG_DWORD || size != sizeof(data)))) {
        value.kind = RegistryDword::Kind::OtherType;
        value.type = type;
        return 0;
    }
    if (status != ERROR_SUCCESS)
        return static_cast<uint32_t>(status);
    value.kind = RegistryDword::Kind::Dword;
    value.dword = data;
    return 0;
}
