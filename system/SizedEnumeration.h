// The two-call enumeration of the spooler's Enum* and Get* functions: ask for the size, then
// for the records in a buffer of that size, asking again while the set grows in between.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// One call: (buffer, size, needed, returned) as the spooler's functions take them, null and 0
// for the sizing call. Answers 0 or the failed call's error code.
using SizedEnumerationCall = std::function<uint32_t(uint8_t*, uint32_t, uint32_t&, uint32_t&)>;

// At most this many calls per enumeration: the sizing call and the calls with a buffer that
// follow when the set grew in between. A set that keeps growing counts as a failed enumeration.
constexpr int kMaxEnumerationCalls = 4;

struct SizedEnumeration {
    // 0 when the spooler gave its list (possibly an empty one), else why not: a list the
    // spooler could not give is not an empty list.
    uint32_t error = 0;
    std::vector<uint8_t> bytes;
    // The records the last call reported, and only when they fit in what it could fill.
    uint32_t count = 0;
};

// `recordSize` is the size of one record of the level asked for.
SizedEnumeration EnumerateSized(const SizedEnumerationCall& call, size_t recordSize);
