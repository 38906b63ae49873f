#include "system/SizedEnumeration.h"

#include "system/Win32ErrorCodes.h"

SizedEnumeration EnumerateSized(const SizedEnumerationCall& call, size_t recordSize)
{
    SizedEnumeration answer;
    uint32_t needed = 0, returned = 0;
    // Sizing call: it fails for want of room and names the byte count. Without a buffer no
    // record can have been written, so only a failure that names no size is one.
    uint32_t sizingError = call(nullptr, 0, needed, returned);
    for (int calls = 1; calls < kMaxEnumerationCalls; ++calls) {
        if (needed == 0) {
            // Nothing to list (some spoolers still call the empty buffer too small), or a
            // failure that named no size.
            answer.error = sizingError == kErrorInsufficientBuffer ? 0 : sizingError;
            return answer;
        }
        uint32_t size = needed;
        answer.bytes.assign(size, 0);
        needed = 0;
        returned = 0;
        answer.error = call(answer.bytes.data(), size, needed, returned);
        if (answer.error == 0) {
            // Trust the count only as far as the records fit in what the call could fill.
            if (static_cast<uint64_t>(returned) * recordSize <= size)
                answer.count = returned;
            return answer;
        }
        // A record was added since the sizing call: ask again with the new size.
        if (answer.error != kErrorInsufficientBuffer || needed <= size)
            return answer;
    }
    answer.error = kErrorInsufficientBuffer;
    return answer;
}
