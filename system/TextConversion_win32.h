// UTF-16 and UTF-8, for the adapters that carry names in any script (printer names, registry
// data, the command line) past the system code page.
#pragma once
#include <windows.h>

#include <string>

inline std::string Utf8Of(const wchar_t* text, int length = -1)
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

inline std::string Utf8Of(const std::wstring& text)
{
    return Utf8Of(text.c_str(), static_cast<int>(text.size()));
}

inline std::wstring Utf16Of(const std::string& utf8)
{
    if (utf8.empty())
        return std::wstring();
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (size <= 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &text[0], size);
    return text;
}
