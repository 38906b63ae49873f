// SHA-256 (FIPS 180-4), fed in pieces of any size. Our own, because no system API has it
// everywhere the program runs: CryptoAPI lacks it on Windows 2000 and XP before SP3, and
// BCrypt starts with Vista.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

using Sha256Digest = std::array<uint8_t, 32>;

class Sha256 {
public:
    void Add(const void* data, size_t size);
    // The digest of everything added; the object is spent afterwards.
    Sha256Digest Finish();

private:
    void Compress(const uint8_t* block);
    uint32_t m_state[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                           0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    uint8_t m_block[64] = {};
    size_t m_used = 0;      // bytes waiting in m_block
    uint64_t m_length = 0;  // bytes added in all
};

// Lower-case hexadecimal, 64 digits.
std::string HexOf(const Sha256Digest& digest);
