// A registry value that is meant to be a REG_DWORD, as read, for code that includes no Windows
// header: the print policies, Windows' own settings and the registry writer all use it.
#pragma once
#include <cstdint>

// Not there, a REG_DWORD, or a value of another type (which neither the policies nor Windows'
// own settings write: it decides nothing).
struct RegistryDword {
    enum class Kind { Absent, Dword, OtherType };
    Kind kind = Kind::Absent;
    uint32_t dword = 0;  // Dword: its data
    uint32_t type = 0;   // OtherType: its registry type
    bool IsDword(uint32_t value) const { return kind == Kind::Dword && dword == value; }
};
