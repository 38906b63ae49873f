#include "install/ModelCatalogue.h"

#include <vector>

const ModelRecord kModelRecords[] = {
    {"IXGKFAIHHYERAEGC", 0xB35D, "QRX58", "VELM58KD", "VELM58KD"},
};
const size_t kModelRecordCount = sizeof(kModelRecords) / sizeof(kModelRecords[0]);

std::string DecodeModelName(const std::string& code, uint16_t key)
{
    std::vector<unsigned char> masked;
    masked.reserve(code.size() / 2);
    for (size_t i = 0; i < code.size() / 2; ++i) {
        int first = static_cast<unsigned char>(code[2 * i]) - 65;
        int second = static_cast<unsigned char>(code[2 * i + 1]) - 65;
        masked.push_back(static_cast<unsigned char>((first * 26 + second) & 0xFF));
    }

    std::string name;
    name.reserve(masked.size());
    uint16_t k = key;
    for (unsigned char c : masked) {
        name.push_back(static_cast<char>(c ^ (k >> 8)));
        // The key advances with the masked byte, not with the character it hides.
        k = static_cast<uint16_t>((uint32_t{c} + k) * kModelNameFactor + kModelNameAddend);
    }
    return name;
}
