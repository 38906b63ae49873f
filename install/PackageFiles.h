// The files of the driver package and the copies into the spooler's driver directory.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "install/DriverFileVersion.h"

// Receives a file's bytes piece by piece, in order.
using FilePieces = std::function<void(const char* data, size_t size)>;

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
    // The content of the file at `path`, whatever its size, in pieces of a fixed size (constant
    // memory), shared with the spooler and printing programs that hold it open; 0 or the
    // Windows error.
    virtual uint32_t Read(const std::string& path, const FilePieces& pieces) = 0;
    // As Read, through a handle kept open until ReleaseHeldFiles that shares the file with
    // readers only: while it is held nobody can write, replace, rename or delete it, so the
    // bytes read are the bytes a later copy or process start by the same path gets.
    virtual uint32_t HoldAndRead(const std::string& path, const FilePieces& pieces) = 0;
    virtual void ReleaseHeldFiles() = 0;
    // The version resource (VS_FIXEDFILEINFO) and last-write time of the file at `path`: 0 with
    // the facts, or the Windows error of a file whose time cannot be read. A file whose version
    // could not be had answers 0 with hasVersion false and Windows' error of the version read in
    // versionError: a GPD or help file one that says the resource is missing (IsMissingVersion).
    virtual uint32_t ReadFacts(const std::string& path, DriverFileFacts& facts) = 0;
};
