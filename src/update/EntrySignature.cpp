#include "update/EntrySignature.h"

#include "update/Digests.h"
#include "update/ListTime.h"
#include "update/VersionList.h"

namespace update {
namespace {

uint8_t HexValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<uint8_t>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<uint8_t>(c - 'a' + 10);
    return static_cast<uint8_t>(c - 'A' + 10);
}

}  // namespace

std::optional<SignedEntry> SplitSignedEntry(const std::string& entry) {
    size_t comma = std::string::npos;
    for (size_t field = 0; field < kSignatureField; ++field) {
        comma = entry.find(',', comma + 1);
        if (comma == std::string::npos) return std::nullopt;
    }
    const size_t end = entry.find(',', comma + 1);
    SignedEntry parts;
    parts.signedText = entry.substr(0, comma);
    parts.signatureField = entry.substr(comma + 1, end == std::string::npos ? std::string::npos : end - comma - 1);
    return parts;
}

std::optional<platform::P256Signature> ReadSignature(const std::string& field) {
    platform::P256Signature signature{};
    if (!IsHexText(field, signature.size() * 2)) return std::nullopt;
    for (size_t i = 0; i < signature.size(); ++i)
        signature[i] = static_cast<uint8_t>(HexValue(field[2 * i]) << 4 | HexValue(field[2 * i + 1]));
    return signature;
}

bool IsTrustedEntry(const EntryTrust& trust, const std::string& entry) {
    const std::optional<SignedEntry> parts = SplitSignedEntry(entry);
    if (!parts) return false;
    const std::optional<platform::P256Signature> signature = ReadSignature(parts->signatureField);
    if (!signature || !trust.crypto.VerifyP256(parts->signedText, trust.key, *signature)) return false;
    // An empty last field adds no field: the signed part may hold one field fewer than its commas say.
    const std::vector<std::string> fields = SplitFields(parts->signedText);
    return fields.size() > kValidUntilField && IsSha256Text(fields[4]) && ParseListTime(fields[kSignedAtField]) &&
           ParseListTime(fields[kValidUntilField]);
}

}  // namespace update
