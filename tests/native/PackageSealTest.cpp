#include <gtest/gtest.h>

#include <string>

#include "install/PackageSeal.h"
#include "system/Sha256.h"

// FIPS 180-4's examples (NIST's SHA-256 test vectors), each fed in pieces that straddle the
// 64-byte blocks.
TEST(Sha256, GivesTheNistDigests)
{
    const struct { std::string message; const char* digest; } vectors[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& v : vectors)
        for (size_t piece : {1, 63, 64, 997, 1000000}) {
            Sha256 hash;
            for (size_t at = 0; at < v.message.size(); at += piece)
                hash.Add(v.message.data() + at, std::min(piece, v.message.size() - at));
            EXPECT_EQ(v.digest, HexOf(hash.Finish())) << v.message.size() << " bytes in pieces of " << piece;
        }
}

TEST(PackageSeal, OnlyACompleteSealOfThisFormatWithDistinctPathsInsideThePackageIsTrusted)
{
    const std::string head = "PrinterSetup package seal\nformat 1\nrelease 4.0.0.0\n", digest = " " + std::string(64, 'c') + " ";
    const std::string good = head + "file 9" + digest + "QRX58.DLL\nfile 28" + digest + "USB Driver\\x64\\dpinstx64.exe\nend 2\n";
    const struct { const char* name; std::string text; SealState state; const char* damage; } cases[] = {
        {"a developer build's placeholder", "PrinterSetup package seal\nunsealed\n", SealState::Unsealed, ""},
        {"good", good, SealState::Sealed, ""},
        {"truncated inside an entry", good.substr(0, good.find("dpinst")), SealState::Damaged, "truncated"},
        {"a later format", "PrinterSetup package seal\nformat 2\nrelease 4.0.0.0\nfile 1" + digest + "x\nend 1\n",
         SealState::Damaged, "format 2, this program reads format 1"},
        {"a path outside the package", head + "file 1" + digest + "USBdriver\\..\\..\\x\nend 1\n", SealState::Damaged,
         "a path outside the package: USBdriver\\..\\..\\x"},
        {"two entries for one file, in another case",
         head + "file 1" + digest + "USBdriver\\x86\\dpinst.exe\nfile 1" + digest + "usbdriver\\X86\\DPINST.EXE\nend 2\n",
         SealState::Damaged, "two entries for usbdriver\\X86\\DPINST.EXE"},
    };
    for (const auto& c : cases) {
        std::string resource = c.text;
        resource.resize(512, '\0');  // zero bytes to the resource's fixed size, as scripts/seal.sh writes it
        const PackageSeal seal = ParsePackageSeal(resource.data(), resource.size());
        EXPECT_EQ(c.state, seal.state) << c.name;
        EXPECT_EQ(c.damage, seal.damage) << c.name;
        ASSERT_EQ(c.state == SealState::Sealed ? 2u : 0u, seal.files.size()) << c.name;
        if (c.state == SealState::Sealed) {  // found as Windows finds files, without regard to case
            EXPECT_EQ(&seal.files[1], seal.Find("usb driver\\X64\\DPINSTX64.EXE"));
            EXPECT_EQ("28" + digest, std::to_string(seal.files[1].size) + " " + HexOf(seal.files[1].digest) + " ");
        }
    }
}
