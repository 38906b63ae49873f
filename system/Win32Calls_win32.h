// Small helpers shared by the Win32 adapters of the spooler.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

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
