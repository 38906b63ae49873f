#include "install/PackageSeal.h"

#include <algorithm>
#include <cstring>

#include "system/TextCompare.h"
#include "system/Win32ErrorCodes.h"

namespace {

const char kSealTitle[] = "PrinterSetup package seal";

PackageSeal Damaged(const std::string& why)
{
    PackageSeal seal;
    seal.state = SealState::Damaged;
    seal.damage = why;
    return seal;
}

bool StartsWith(const std::string& text, const char* prefix, std::string& rest)
{
    const size_t length = std::strlen(prefix);
    if (text.compare(0, length, prefix) != 0)
        return false;
    rest = text.substr(length);
    return true;
}

bool ParseSize(const std::string& digits, uint64_t& size)
{
    // 15 digits hold any file size and cannot overflow.
    if (digits.empty() || digits.size() > 15 || (digits.size() > 1 && digits[0] == '0'))
        return false;
    size = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return false;
        size = size * 10 + static_cast<uint64_t>(c - '0');
    }
    return true;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool ParseDigest(const std::string& hex, Sha256Digest& digest)
{
    if (hex.size() != 64)
        return false;
    for (size_t i = 0; i < 32; ++i) {
        const int high = HexDigit(hex[2 * i]), low = HexDigit(hex[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        digest[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return true;
}

// "<size> <sha256> <path>"
bool ParseEntry(const std::string& fields, SealedFile& file)
{
    const size_t first = fields.find(' ');
    if (first == std::string::npos || fields.size() < first + 66 || fields[first + 65] != ' ')
        return false;
    file.path = fields.substr(first + 66);
    return ParseSize(fields.substr(0, first), file.size) && ParseDigest(fields.substr(first + 1, 64), file.digest);
}

InstallOutcome Refusal(SealProblem problem, const std::string& subject)
{
    InstallOutcome outcome;
    outcome.failedStep = InstallStep::CheckSeal;
    outcome.sealProblem = problem;
    outcome.subject = subject;
    return outcome;
}

}  // namespace

const SealedFile* PackageSeal::Find(const std::string& path) const
{
    for (const SealedFile& file : files)
        if (SameTextIgnoringCase(file.path, path))
            return &file;
    return nullptr;
}

bool IsPackageRelativePath(const std::string& path)
{
    if (path.empty() || path.size() > 200)
        return false;
    size_t start = 0;
    while (true) {
        const size_t end = std::min(path.find('\\', start), path.size());
        const std::string part = path.substr(start, end - start);
        // Empty parts: a leading "\" (the drive's root) or "\\" (a share).
        if (part.empty() || part == "." || part == ".." || part.back() == '.' || part.back() == ' ')
            return false;
        for (char c : part)
            // No ':' (a drive or a stream), no '/' (another separator), nothing Windows refuses in a name.
            if (c < 0x20 || c > 0x7E || std::strchr("<>:\"/|?*", c) != nullptr)
                return false;
        if (end == path.size())
            return true;
        start = end + 1;
    }
}

PackageSeal ParsePackageSeal(const char* bytes, size_t size)
{
    const char* end = static_cast<const char*>(std::memchr(bytes, '\0', size));
    if (end == nullptr)
        end = bytes + size;
    for (const char* rest = end; rest < bytes + size; ++rest)
        if (*rest != '\0')
            return Damaged("bytes after its end");
    const std::string text(bytes, end);
    if (text.empty() || text.back() != '\n')
        return Damaged("truncated");

    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
        const size_t newline = text.find('\n', at);
        lines.push_back(text.substr(at, newline - at));
        at = newline + 1;
    }
    if (lines[0] != kSealTitle)
        return Damaged("not a seal");
    if (lines.size() == 2 && lines[1] == "unsealed")
        return PackageSeal();
    std::string value;
    if (lines.size() < 2 || !StartsWith(lines[1], "format ", value))
        return Damaged("truncated");
    if (value != std::to_string(kSealFormat))
        return Damaged("format " + value + ", this program reads format " + std::to_string(kSealFormat));

    PackageSeal seal;
    seal.state = SealState::Sealed;
    if (lines.size() < 3 || !StartsWith(lines[2], "release ", seal.release) || seal.release.empty())
        return Damaged("truncated");
    for (size_t i = 3; i < lines.size(); ++i) {
        if (StartsWith(lines[i], "end ", value)) {
            if (i + 1 != lines.size() || value != std::to_string(seal.files.size()))
                return Damaged("truncated");
            return seal;
        }
        SealedFile file;
        if (!StartsWith(lines[i], "file ", value) || !ParseEntry(value, file))
            return Damaged("line " + std::to_string(i + 1) + " cannot be read");
        if (!IsPackageRelativePath(file.path))
            return Damaged("a path outside the package: " + file.path);
        if (seal.Find(file.path) != nullptr)
            return Damaged("two entries for " + file.path);
        seal.files.push_back(file);
    }
    return Damaged("truncated");
}

uint32_t FingerprintOf(PackageFiles& files, const std::string& path, bool hold, FileFingerprint& fingerprint)
{
    Sha256 hash;
    uint64_t size = 0;
    auto add = [&](const char* data, size_t length) {
        hash.Add(data, length);
        size += length;
    };
    const uint32_t error = hold ? files.HoldAndRead(path, add) : files.Read(path, add);
    fingerprint.size = size;
    fingerprint.digest = hash.Finish();
    return error;
}

InstallOutcome CheckPackageAgainstSeal(const PackageSeal& seal, PackageFiles& files,
                                       const std::vector<std::string>& paths)
{
    if (seal.state == SealState::Damaged)
        return Refusal(SealProblem::SealDamaged, seal.damage);
    for (const std::string& path : paths) {
        const SealedFile* sealed = seal.Find(path);
        if (sealed == nullptr)
            return Refusal(SealProblem::NotInSeal, path);
        FileFingerprint actual;
        if (uint32_t error = FingerprintOf(files, path, true, actual)) {
            InstallOutcome unreadable;
            unreadable.failedStep = InstallStep::ReadPackage;
            unreadable.errorCode = error;
            unreadable.subject = path;
            return unreadable;
        }
        if (actual.size != sealed->size)
            return Refusal(SealProblem::SizeDiffers, path);
        if (actual.digest != sealed->digest)
            return Refusal(SealProblem::ContentDiffers, path);
    }
    return InstallOutcome();
}

std::wstring SealRefusalText(const InstallOutcome& outcome, const std::wstring& file)
{
    const std::wstring advice =
        L"\nCopy the driver package again from where this release came from, and start the setup from its folder. "
        L"Nothing was installed.";
    switch (outcome.sealProblem) {
    case SealProblem::NotInSeal:
        return L"The file\n    " + file + L"\nis not one this setup program was released with, so it is not used." +
               advice;
    case SealProblem::SizeDiffers:
    case SealProblem::ContentDiffers:
        return L"The file\n    " + file + L"\nhas been changed since this setup program was released (its " +
               (outcome.sealProblem == SealProblem::SizeDiffers ? L"size" : L"content") +
               L" is not the release's), so it is not used." + advice;
    case SealProblem::SealDamaged:
    case SealProblem::None:
        break;
    }
    return L"This setup program's record of its driver package is damaged (" + file +
           L"), so no package file can be trusted. Download the setup again. Nothing was installed.";
}
