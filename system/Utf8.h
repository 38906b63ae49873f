// UTF-8 decoding for code on every side, window-free or not: the log's values, the command
// line, the program's own texts.
#pragma once
#include <string>

// UTF-8 to wide characters (UTF-16 where wchar_t has 16 bits); each malformed sequence
// becomes one U+FFFD.
std::wstring FromUtf8(const std::string& utf8);
