// The files of the driver package and the copies into the spooler's driver directory.
#pragma once
#include <cstdint>
#include <string>

class PackageFiles {
public:
    virtual ~PackageFiles() = default;
    // 0 when the file at `path` (relative to the current directory, or absolute) can be opened
    // for reading the way the copy will open it, with `size` its length in bytes; else the
    // Windows error: 2 or 3 when it is not there, 32 when another program holds it, 206 when
    // the path is too long, ...
    virtual uint32_t CheckReadable(const std::string& path, uint64_t& size) = 0;
    // True when the folder at `path` (relative to the current directory) is there.
    virtual bool HasFolder(const std::string& path) = 0;
    // Copies, overwriting `to`; answers 0 or the Windows error.
    virtual uint32_t Copy(const std::string& from, const std::string& to) = 0;
    // The whole content of the file at `path` into `bytes`; answers 0 or the Windows error.
    // Driver files are a few megabytes at most.
    virtual uint32_t ReadAll(const std::string& path, std::string& bytes) = 0;
};
