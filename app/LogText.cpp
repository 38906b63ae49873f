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
