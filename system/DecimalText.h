// Numbers as text for the program's messages and log.
#pragma once
#include <string>

// A number in decimal digits, as std::to_wstring writes it. std::to_wstring formats through the
// C library's wide printf, which alone brings about 38 KB of printf and floating-point code
// into the release program; std::to_string does not, and the digits are plain ASCII.
template <typename Number>
std::wstring DecimalText(Number value)
{
    const std::string digits = std::to_string(value);
    return std::wstring(digits.begin(), digits.end());
}

// A number zero-padded to at least `width` digits ("0042"), as printf's "%0*d" would write it.
template <typename Number>
std::string PaddedDecimal(Number value, size_t width)
{
    const std::string digits = std::to_string(value);
    return digits.size() < width ? std::string(width - digits.size(), '0') + digits : digits;
}
