// The files of the driver package and the copies into the spooler's driver directory.
#pragma once
#include <cstdint>
#include <string>

class PackageFiles {
public:
    virtual ~PackageFiles() = default;
    // A file (not a folder) at `path`, relative to the current directory or absolute.
    virtual bool Exists(const std::string& path) = 0;
    // Copies, overwriting `to`; answers 0 or the Windows error.
    virtual uint32_t Copy(const std::string& from, const std::string& to) = 0;
};
