#include "ports/PortEnumeration.h"

#include <cstring>
#include <utility>

#include "system/Win32ErrorCodes.h"

EnumeratedRecords::EnumeratedRecords(const EnumerationCall& call, size_t recordSize)
{
    SizedEnumeration listed = EnumerateSized(
        [&call](uint8_t* buffer, uint32_t size, uint32_t& needed, uint32_t& returned) -> uint32_t {
            SpoolerResult result = call(buffer, size, needed, returned);
            if (result.succeeded)
                return 0;
            // A failure that left no error code still must not read as an empty list.
            return result.errorCode != 0 ? result.errorCode : kErrorGenFailure;
        },
        recordSize);
    m_bytes = std::move(listed.bytes);
    m_count = listed.count;
    m_result = listed.error == 0 ? SpoolerResult{true, 0} : SpoolerResult{false, listed.error};
}

std::string EnumeratedRecords::Text(const char* text) const
{
    if (!text || m_bytes.empty())
        return std::string();
    auto address = reinterpret_cast<uintptr_t>(text);
    auto begin = reinterpret_cast<uintptr_t>(m_bytes.data());
    auto end = begin + m_bytes.size();
    if (address < begin || address >= end)
        return std::string();
    size_t room = end - address;
    const void* terminator = std::memchr(text, '\0', room);
    if (!terminator)
        return std::string();
    return std::string(text, static_cast<const char*>(terminator) - text);
}
