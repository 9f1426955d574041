#include "update/Digests.h"

namespace update {
namespace {

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string HexText(const platform::Sha256Digest& digest) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (uint8_t byte : digest) {
        text += digits[byte >> 4];
        text += digits[byte & 0x0f];
    }
    return text;
}

bool IsHexText(const std::string& text, size_t digits) {
    if (text.size() != digits) return false;
    for (char c : text)
        if (!IsHexDigit(c)) return false;
    return true;
}

bool HashFieldMatches(const std::string& field, const std::optional<platform::Sha256Digest>& digest) {
    if (!digest || !IsSha256Text(field)) return false;
    const std::string expected = HexText(*digest);
    for (size_t i = 0; i < field.size(); ++i)
        if (Lower(field[i]) != expected[i]) return false;
    return true;
}

std::optional<platform::Sha256Digest> HashOf(platform::Crypto& crypto, const std::string& data) {
    const std::unique_ptr<platform::Sha256Hash> hash = crypto.NewSha256();
    if (!hash) return std::nullopt;
    hash->Add(data.data(), data.size());
    return hash->Finish();
}

std::optional<platform::Sha256Digest> HashOf(platform::Crypto& crypto, platform::HeldFile& file) {
    const std::unique_ptr<platform::Sha256Hash> hash = crypto.NewSha256();
    if (!hash) return std::nullopt;
    char buffer[64 * 1024];
    for (;;) {
        size_t read = 0;
        if (!file.Read(buffer, sizeof buffer, &read)) return std::nullopt;
        if (read == 0) return hash->Finish();
        hash->Add(buffer, read);
    }
}

}  // namespace update
