#include "system/TextConversion_win32.h"

std::string Utf8Of(const wchar_t* text, int length)
{
    if (text == nullptr)
        return std::string();
    if (length < 0)
        length = lstrlenW(text);
    if (length == 0)
        return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, &bytes[0], size, nullptr, nullptr);
    return bytes;
}

std::wstring WidenAnsi(const std::string& ansi)
{
    if (ansi.empty())
        return std::wstring();
    const int size = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    if (size <= 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &text[0], size);
    return text;
}

bool NarrowExactly(const std::wstring& text, UINT codePage, std::string& narrow)
{
    narrow.clear();
    if (text.empty())
        return true;
    // UTF-8 as the code page takes neither the flag nor the default-character report (and holds
    // every text anyway).
    const bool utf8 = codePage == CP_UTF8 || (codePage == CP_ACP && GetACP() == CP_UTF8);
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* used = utf8 ? nullptr : &usedDefault;
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, used);
    if (size <= 0)
        return false;
    narrow.assign(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, flags, text.data(), length, &narrow[0], size, nullptr, used);
    if (usedDefault)
        return false;
    // Back again: what the code page turns the narrow text into must be the text itself.
    const int back = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, narrow.data(), size, nullptr, 0);
    if (back <= 0)
        return false;
    std::wstring wide(static_cast<size_t>(back), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, narrow.data(), size, &wide[0], back);
    return wide == text;
}
