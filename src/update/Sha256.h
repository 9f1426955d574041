// SHA-256 (FIPS 180-4), used to check a downloaded installer against the hash in the version list.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace update {

class Sha256 {
public:
    using Digest = std::array<uint8_t, 32>;

    Sha256();
    void Add(const void* data, size_t size);
    void Add(const std::string& data) { Add(data.data(), data.size()); }
    // The digest of everything added; the object is then spent (call Reset to start again).
    Digest Finish();
    void Reset();

private:
    void Compress(const uint8_t* block);

    std::array<uint32_t, 8> state_{};
    std::array<uint8_t, 64> block_{};
    size_t blockUsed_ = 0;
    uint64_t totalBytes_ = 0;
};

// The digest as 64 lower-case hexadecimal digits.
std::string HexText(const Sha256::Digest& digest);
std::string Sha256Hex(const std::string& data);

}  // namespace update
