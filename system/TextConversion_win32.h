// UTF-16 and the narrow encodings, for the adapters that carry texts past the system code
// page: names in any script (printers, ports, registry data, the command line) and the
// program's own texts. UTF-8 is decoded by FromUtf8 (system/Utf8.h), on every side alike.
#pragma once
#include <windows.h>

#include <string>

#include "system/Utf8.h"

// UTF-16 to UTF-8; a text that cannot be converted gives an empty string.
std::string Utf8Of(const wchar_t* text, int length = -1);

inline std::string Utf8Of(const std::wstring& text)
{
    return Utf8Of(text.c_str(), static_cast<int>(text.size()));
}

// The system code page (file names, port names, the spooler's A records) to UTF-16, as an A
// function converts it.
std::wstring WidenAnsi(const std::string& ansi);

// `text` in code page `codePage` (CP_ACP: the system's), into `narrow` however it comes out;
// false when a character had no exact equivalent there. Converting back must give the text
// itself, so the "best fit" look-alikes ("a" for "ā", "a" for "ａ"), which name another port or
// file, count as lossy like a default character.
bool NarrowExactly(const std::wstring& text, UINT codePage, std::string& narrow);
