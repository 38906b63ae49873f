#include "ports/PortEnumeration.h"

#include <cstring>

EnumeratedRecords::EnumeratedRecords(const EnumerationCall& call, size_t recordSize)
{
    uint32_t needed = 0, returned = 0;
    // Sizing call: it fails for want of room and names the byte count. Without a buffer no
    // record can have been written, so only a failure that names no size is one.
    SpoolerResult sizing = call(nullptr, 0, needed, returned);
    for (int calls = 1; calls < kMaxEnumerationCalls; ++calls) {
        if (needed == 0) {
            // Nothing to list (some spoolers still call the empty buffer too small), or a
            // failure that named no size.
            m_result = sizing;
            if (sizing.errorCode == kErrorInsufficientBuffer)
                m_result = SpoolerResult{true, 0};
            return;
        }
        uint32_t size = needed;
        m_bytes.assign(size, 0);
        needed = 0;
        returned = 0;
        SpoolerResult result = call(m_bytes.data(), size, needed, returned);
        m_result = result;
        if (result.succeeded) {
            // Trust the count only as far as the records fit in what the call could fill.
            if (static_cast<uint64_t>(returned) * recordSize <= size)
                m_count = returned;
            return;
        }
        // A port or monitor was added since the sizing call: ask again with the new size.
        if (result.errorCode != kErrorInsufficientBuffer || needed <= size)
            return;
    }
    m_result = SpoolerResult{false, kErrorInsufficientBuffer};
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
