#include "system/Utf8.h"

#include <cstdint>

namespace {

void AppendCodePoint(std::wstring& out, uint32_t c)
{
    if (sizeof(wchar_t) == 2 && c >= 0x10000) {
        c -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (c >> 10));
        out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    } else {
        out += static_cast<wchar_t>(c);
    }
}

}  // namespace

std::wstring FromUtf8(const std::string& utf8)
{
    std::wstring out;
    out.reserve(utf8.size());
    const size_t size = utf8.size();
    size_t i = 0;
    while (i < size) {
        const uint8_t lead = static_cast<uint8_t>(utf8[i]);
        if (lead < 0x80) {
            out += static_cast<wchar_t>(lead);
            ++i;
            continue;
        }
        // The length and the smallest code point of a sequence with this lead byte; overlong
        // forms, surrogates and values past U+10FFFF are not well-formed.
        size_t length = 0;
        uint32_t c = 0, minimum = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, c = lead & 0x1F, minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, c = lead & 0x0F, minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, c = lead & 0x07, minimum = 0x10000;
        }
        size_t taken = 1;
        while (length != 0 && taken < length && i + taken < size &&
               (static_cast<uint8_t>(utf8[i + taken]) & 0xC0) == 0x80) {
            c = (c << 6) | (static_cast<uint8_t>(utf8[i + taken]) & 0x3F);
            ++taken;
        }
        if (length == 0 || taken < length || c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            out += static_cast<wchar_t>(0xFFFD);
            i += length == 0 ? 1 : taken;  // the bytes read so far belong to the broken sequence
            continue;
        }
        AppendCodePoint(out, c);
        i += length;
    }
    return out;
}
