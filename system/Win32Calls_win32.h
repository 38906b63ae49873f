// Small helpers shared by the Win32 adapters of the spooler.
#pragma once
#include <windows.h>
#include <winspool.h>

#include <cstdint>
#include <string>

#include "system/SizedEnumeration.h"

// The spooler's A functions take non-const strings but do not write to them.
inline char* MutableText(const std::string& text)
{
    return const_cast<char*>(text.c_str());
}

// The error of the call that just failed; a failed call that left no error code still must
// not read as success.
inline uint32_t LastErrorOfFailedCall()
{
    DWORD error = GetLastError();
    return error != 0 ? error : ERROR_GEN_FAILURE;
}

// The drivers the spooler lists for `environment` at `level` (records of `recordSize`).
inline SizedEnumeration EnumerateDrivers(const std::string& environment, DWORD level, size_t recordSize)
{
    return EnumerateSized(
        [&environment, level](uint8_t* buffer, uint32_t size, uint32_t& needed, uint32_t& returned) -> uint32_t {
            DWORD neededBytes = 0, count = 0;
            BOOL ok = EnumPrinterDriversA(nullptr, MutableText(environment), level, buffer, size, &neededBytes, &count);
            needed = neededBytes;
            returned = count;
            return ok ? 0 : LastErrorOfFailedCall();
        },
        recordSize);
}
