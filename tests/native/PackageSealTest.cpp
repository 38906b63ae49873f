#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/PackageSeal.h"
#include "system/Sha256.h"

namespace {

std::string Sha256Hex(const std::string& message, size_t piece)
{
    Sha256 hash;
    for (size_t at = 0; at < message.size(); at += piece)
        hash.Add(message.data() + at, std::min(piece, message.size() - at));
    return HexOf(hash.Finish());
}

const std::string kHashOfX = std::string(64, 'a');
const std::string kHashOfY = std::string(64, 'b');

// A seal's resource: the text, then zero bytes to a fixed size, as scripts/seal.sh writes it.
std::string Resource(const std::string& text)
{
    std::string bytes = text;
    bytes.resize(512, '\0');
    return bytes;
}

std::string Sealed(const std::vector<std::string>& entries, const std::string& format = "1")
{
    std::string text = "PrinterSetup package seal\nformat " + format + "\nrelease 4.0.0.0\n";
    for (const std::string& entry : entries)
        text += "file " + entry + "\n";
    return text + "end " + std::to_string(entries.size()) + "\n";
}

}  // namespace

// FIPS 180-4's examples (NIST's SHA-256 test vectors), each fed in pieces that straddle the
// 64-byte blocks.
TEST(Sha256, GivesTheNistDigests)
{
    struct Vector {
        std::string message;
        const char* digest;
    };
    const Vector vectors[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const Vector& vector : vectors)
        for (size_t piece : {size_t{1}, size_t{63}, size_t{64}, size_t{997}, size_t{1000000}})
            EXPECT_EQ(vector.digest, Sha256Hex(vector.message, piece))
                << vector.message.size() << " bytes in pieces of " << piece;
}

TEST(PackageSeal, OnlyACompleteSealOfThisFormatWithDistinctPathsInsideThePackageIsTrusted)
{
    struct Case {
        const char* what;
        std::string resource;
        SealState state;
        const char* damage;
    };
    const std::string good = Sealed({"157 " + kHashOfX + " Printer Driver\\x64\\QRX58.DLL",
                                     "4096 " + kHashOfY + " USB Driver\\x64\\dpinstx64.exe"});
    const Case cases[] = {
        {"the placeholder of a developer build", Resource("PrinterSetup package seal\nunsealed\n"),
         SealState::Unsealed, ""},
        {"good", Resource(good), SealState::Sealed, ""},
        {"truncated before its end line", Resource(good.substr(0, good.find("end "))), SealState::Damaged,
         "truncated"},
        {"truncated inside an entry", Resource(good.substr(0, good.find("dpinst"))), SealState::Damaged,
         "truncated"},
        {"its count is not its entries'", Resource("PrinterSetup package seal\nformat 1\nrelease 4.0.0.0\nfile 1 " + kHashOfX + " a\nend 2\n"),
         SealState::Damaged, "truncated"},
        {"nothing at all", std::string(512, '\0'), SealState::Damaged, "truncated"},
        {"bytes after its end", Resource(good) + "x", SealState::Damaged, "bytes after its end"},
        {"a later format", Resource(Sealed({"1 " + kHashOfX + " a"}, "2")), SealState::Damaged,
         "format 2, this program reads format 1"},
        {"a parent folder", Resource(Sealed({"1 " + kHashOfX + " ..\\x"})), SealState::Damaged,
         "a path outside the package: ..\\x"},
        {"a nested parent folder", Resource(Sealed({"1 " + kHashOfX + " USBdriver\\..\\..\\x"})),
         SealState::Damaged, "a path outside the package: USBdriver\\..\\..\\x"},
        {"an absolute path", Resource(Sealed({"1 " + kHashOfX + " C:\\x"})), SealState::Damaged,
         "a path outside the package: C:\\x"},
        {"the drive's root", Resource(Sealed({"1 " + kHashOfX + " \\x"})), SealState::Damaged,
         "a path outside the package: \\x"},
        {"a share", Resource(Sealed({"1 " + kHashOfX + " \\\\host\\x"})), SealState::Damaged,
         "a path outside the package: \\\\host\\x"},
        {"a name Windows shortens", Resource(Sealed({"1 " + kHashOfX + " x."})), SealState::Damaged,
         "a path outside the package: x."},
        {"two entries for one file, in another case",
         Resource(Sealed({"1 " + kHashOfX + " USBdriver\\x86\\dpinst.exe", "2 " + kHashOfY + " usbdriver\\X86\\DPINST.EXE"})),
         SealState::Damaged, "two entries for usbdriver\\X86\\DPINST.EXE"},
        {"a short digest", Resource(Sealed({"1 " + kHashOfX.substr(1) + " a"})), SealState::Damaged,
         "line 4 cannot be read"},
        {"a size that is no number", Resource(Sealed({"-1 " + kHashOfX + " a"})), SealState::Damaged,
         "line 4 cannot be read"},
    };
    for (const Case& c : cases) {
        const PackageSeal seal = ParsePackageSeal(c.resource.data(), c.resource.size());
        EXPECT_EQ(c.state, seal.state) << c.what;
        EXPECT_EQ(c.damage, seal.damage) << c.what;
        if (c.state != SealState::Sealed)
            EXPECT_TRUE(seal.files.empty()) << c.what;
    }

    const PackageSeal seal = ParsePackageSeal(Resource(good).data(), 512);
    EXPECT_EQ("4.0.0.0", seal.release);
    ASSERT_EQ(2u, seal.files.size());
    const SealedFile* installer = seal.Find("usb driver\\X64\\DPINSTX64.EXE");
    ASSERT_NE(nullptr, installer) << "found as Windows finds the file, without regard to case";
    EXPECT_EQ(4096u, installer->size);
    EXPECT_EQ(kHashOfY, HexOf(installer->digest));
    EXPECT_EQ(nullptr, seal.Find("Printer Driver\\x86\\QRX58.DLL"));
}
