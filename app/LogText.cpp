#include "app/LogText.h"

#include <cstdint>

namespace {

bool NeedsEscape(uint32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069) || c == 0x200E || c == 0x200F;
}

void AppendHex(std::wstring& out, uint32_t value, int digits)
{
    static const wchar_t kDigits[] = L"0123456789ABCDEF";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out += kDigits[(value >> shift) & 0xF];
}

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

std::wstring EscapeControls(const std::wstring& text)
{
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t wide : text) {
        const uint32_t c = static_cast<uint32_t>(wide) & (sizeof(wchar_t) == 2 ? 0xFFFFu : 0xFFFFFFFFu);
        if (!NeedsEscape(c)) {
            out += wide;
            continue;
        }
        switch (c) {
        case L'\r':
            out += L"\\r";
            break;
        case L'\n':
            out += L"\\n";
            break;
        case L'\t':
            out += L"\\t";
            break;
        default:
            if (c <= 0xFF) {
                out += L"\\x";
                AppendHex(out, c, 2);
            } else {
                out += L"\\u";
                AppendHex(out, c, 4);
            }
        }
    }
    return out;
}

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
