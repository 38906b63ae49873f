// The seal: the program's own record of every package file it may install or start (path
// relative to the package root, size, SHA-256), written into its resource by scripts/seal.sh
// before the release is signed, so that the signature covers it. A sealed program uses no
// package file that differs from its record; a developer build carries the placeholder
// ("unsealed") and checks nothing.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "install/InstallOutcome.h"
#include "install/PackageFiles.h"
#include "system/Sha256.h"

// The resource's text: "PrinterSetup package seal", then "unsealed", or "format 1", "release
// <version>", one "file <size> <sha256> <path>" per file and "end <count>", each line ended by
// "\n", then zero bytes to the resource's fixed size.
constexpr int kSealFormat = 1;
// Its RCDATA resource: IDR_PACKAGE_SEAL of res/resource.h.
constexpr unsigned short kPackageSealResourceId = 200;

struct SealedFile {
    std::string path;  // relative to the package root, with backslashes
    uint64_t size = 0;
    Sha256Digest digest{};
};

enum class SealState { Unsealed, Sealed, Damaged };

struct PackageSeal {
    SealState state = SealState::Unsealed;
    std::string release;  // Sealed: the release version it was made for
    std::vector<SealedFile> files;
    std::string damage;   // Damaged: what is wrong with it, for the message
    // The entry for `path`, compared without regard to case as Windows finds files; null: none.
    const SealedFile* Find(const std::string& path) const;
};

// Reads the seal from the resource's bytes. Anything that is not a complete seal of this
// format, with distinct paths inside the package, is Damaged: never trusted, never ignored.
PackageSeal ParsePackageSeal(const char* bytes, size_t size);

// A path a seal may hold: relative, below the package root, in plain printable ASCII, none
// of its parts empty, "." or "..", nor ending in a dot or blank (Windows drops those).
bool IsPackageRelativePath(const std::string& path);

// Size and SHA-256 of a file, read in pieces; `hold` keeps the package file open with no
// write or delete sharing until ReleaseHeldFiles. 0 or the Windows error.
struct FileFingerprint {
    uint64_t size = 0;
    Sha256Digest digest{};
};
uint32_t FingerprintOf(PackageFiles& files, const std::string& path, bool hold, FileFingerprint& fingerprint);

// Before any change: each of `paths` (relative to the package root) is held open, hashed and
// compared with the seal. The first problem as an outcome (CheckSeal, or ReadPackage when a
// file cannot be read); failedStep None when every file is the release's. A damaged seal
// refuses everything.
InstallOutcome CheckPackageAgainstSeal(const PackageSeal& seal, PackageFiles& files,
                                       const std::vector<std::string>& paths);

// The words for a refusal by the seal, naming the file (`file`, already in UTF-16).
std::wstring SealRefusalText(const InstallOutcome& outcome, const std::wstring& file);

// Win32 side (PackageSeal_win32.cpp): this program's own seal, read once from its resource.
const PackageSeal& ProgramSeal();
