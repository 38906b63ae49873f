#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "PackageFileList.h"
#include "install/ModelCatalogue.h"

namespace {

// The encoder that produced the stored code: the inverse of DecodeModelName's two passes.
std::string EncodeModelName(const std::string& name, uint16_t key)
{
    std::string code;
    uint16_t k = key;
    for (char ch : name) {
        unsigned c = static_cast<unsigned char>(ch) ^ (k >> 8);
        code.push_back(static_cast<char>('A' + c / 26));
        code.push_back(static_cast<char>('A' + c % 26));
        k = static_cast<uint16_t>((c + k) * kModelNameFactor + kModelNameAddend);
    }
    return code;
}

// The byte a two-letter code gives before unmasking: the key 0 leaves the first byte bare.
unsigned char FirstMaskedByte(const std::string& code)
{
    std::string name = DecodeModelName(code, 0);
    return name.empty() ? 0 : static_cast<unsigned char>(name[0]);
}

}  // namespace

TEST(ModelCatalogue, TheStoredCodeIsTheEncodedDisplayName)
{
    const ModelRecord& model = kModelRecords[0];
    EXPECT_EQ(EncodeModelName("TOLV-58K", model.displayNameKey), model.displayNameCode);
    EXPECT_EQ("TOLV-58K", DecodeModelName(model.displayNameCode, model.displayNameKey));
    EXPECT_EQ(16u, std::strlen(model.displayNameCode));
}

TEST(ModelCatalogue, TheRecordNamesThePackageFiles)
{
    ASSERT_EQ(1u, kModelRecordCount);
    EXPECT_STREQ("QRX58", kModelRecords[0].pluginBaseName);
    EXPECT_STREQ("VELM58KD", kModelRecords[0].gpdBaseName);
    EXPECT_STREQ("VELM58KD", kModelRecords[0].driverName);
    // The package's one file list names the same plug-in and GPD, first, as the record says.
    EXPECT_EQ(std::string(kModelRecords[0].pluginBaseName) + ".DLL", kPackageDriverFiles[0]);
    EXPECT_EQ(std::string(kModelRecords[0].gpdBaseName) + ".GPD", kPackageDriverFiles[1]);
}

TEST(ModelCatalogue, LetterPairsBecomeBytes)
{
    EXPECT_EQ(0, FirstMaskedByte("AA"));
    EXPECT_EQ(1, FirstMaskedByte("AB"));
    EXPECT_EQ(26, FirstMaskedByte("BA"));
    EXPECT_EQ(255, FirstMaskedByte("JV"));  // 9 * 26 + 21
    // Above 255 the value wraps: "JW" is 256, "ZZ" is 675 = 2 * 256 + 163.
    EXPECT_EQ(0, FirstMaskedByte("JW"));
    EXPECT_EQ(163, FirstMaskedByte("ZZ"));
}

TEST(ModelCatalogue, TheHighByteOfTheKeyMasksTheFirstByte)
{
    EXPECT_EQ(std::string(1, '\x12'), DecodeModelName("AA", 0x1234));
    EXPECT_EQ(std::string(1, static_cast<char>(26 ^ 0xAB)), DecodeModelName("BA", 0xABCD));
}

TEST(ModelCatalogue, TheKeyAdvancesWithTheMaskedByteNotTheOutput)
{
    // Second key = (c + key) * F + A with c the masked byte 1 ("AB"), whatever the output was.
    const uint16_t key = 0x4321;
    const uint16_t next = static_cast<uint16_t>((1u + key) * kModelNameFactor + kModelNameAddend);
    std::string name = DecodeModelName("ABAA", key);
    ASSERT_EQ(2u, name.size());
    EXPECT_EQ(static_cast<char>(1 ^ 0x43), name[0]);
    EXPECT_EQ(static_cast<char>(next >> 8), name[1]);
}

TEST(ModelCatalogue, OddLengthIgnoresTheLastLetterAndEmptyGivesEmpty)
{
    const ModelRecord& model = kModelRecords[0];
    std::string code = model.displayNameCode;
    EXPECT_EQ(DecodeModelName(code, model.displayNameKey), DecodeModelName(code + "Q", model.displayNameKey));
    EXPECT_EQ(DecodeModelName("AB", 7), DecodeModelName("ABZ", 7));
    EXPECT_EQ("", DecodeModelName("", model.displayNameKey));
    EXPECT_EQ("", DecodeModelName("Z", model.displayNameKey));
}

TEST(ModelCatalogue, DecodingKeepsNoStateBetweenCalls)
{
    const ModelRecord& model = kModelRecords[0];
    std::string first = DecodeModelName(model.displayNameCode, model.displayNameKey);
    DecodeModelName("ZZZZ", 0xFFFF);
    EXPECT_EQ(first, DecodeModelName(model.displayNameCode, model.displayNameKey));
}

TEST(ModelCatalogue, SerialTablesFollowTheComboOrder)
{
    EXPECT_STREQ("COM1:", SerialSettingTables::portValueName[3]);
    EXPECT_STREQ("COM4:", SerialSettingTables::portValueName[6]);
    EXPECT_STREQ("19200", SerialSettingTables::baudRate[5]);
    EXPECT_STREQ("115200", SerialSettingTables::baudRate[8]);
    EXPECT_STREQ("8", SerialSettingTables::dataBits[3]);
    EXPECT_STREQ("1.5", SerialSettingTables::stopBits[1]);
    EXPECT_STREQ("N", SerialSettingTables::parity[2]);
    EXPECT_STREQ("S", SerialSettingTables::parity[4]);
    EXPECT_STREQ(" ", SerialSettingTables::flowControl[0]);
    EXPECT_STREQ("p", SerialSettingTables::flowControl[2]);
}
