// The ports and monitors the spooler lists (SizedEnumeration.h), with their records and texts
// read only where the spooler filled the buffer.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ports/PortSpooler.h"
#include "system/SizedEnumeration.h"

// One enumeration call: (buffer, size, needed, returned), as EnumPortsA and EnumMonitorsA take them.
using EnumerationCall = std::function<SpoolerResult(uint8_t*, uint32_t, uint32_t&, uint32_t&)>;

class EnumeratedRecords {
public:
    // Runs the enumeration. `recordSize` is the size of one record of the level asked for.
    EnumeratedRecords(const EnumerationCall& call, size_t recordSize);

    // The number of records the last call reported and filled; 0 when the enumeration failed.
    uint32_t Count() const { return m_count; }
    // Whether the spooler gave its list (possibly an empty one), and otherwise why not: a list
    // the spooler could not give is not an empty list.
    const SpoolerResult& Result() const { return m_result; }
    // Record `index` (below Count()).
    template <class Record>
    const Record& At(uint32_t index) const
    {
        return reinterpret_cast<const Record*>(m_bytes.data())[index];
    }
    // A text a record points to: empty for a null pointer, and for a pointer that does not
    // lead to a NUL-terminated text inside the buffer.
    std::string Text(const char* text) const;

private:
    std::vector<uint8_t> m_bytes;
    uint32_t m_count = 0;
    SpoolerResult m_result;
};
