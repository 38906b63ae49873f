// Comparison of names the way Windows compares printer, driver and port names.
#pragma once
#include <cctype>
#include <string>

// Equal but for the case of ASCII letters.
inline bool SameTextIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}
