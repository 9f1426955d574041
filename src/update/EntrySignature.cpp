#include "update/EntrySignature.h"

#include <vector>

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

// The text between two commas (or the end), by their positions.
std::string Between(const std::string& entry, size_t openingComma, size_t closingComma) {
    return entry.substr(openingComma + 1, closingComma == std::string::npos ? std::string::npos
                                                                             : closingComma - openingComma - 1);
}

// The release part holds a hash to check the installer against, and the two times are times.
bool HasHashAndTimes(const SignedEntry& parts) {
    // An empty last field adds no field: the release part may hold one field fewer than its commas say.
    const std::vector<std::string> fields = SplitFields(parts.releaseText);
    return fields.size() > 4 && IsSha256Text(fields[4]) && ParseListTime(parts.signedAt) &&
           ParseListTime(parts.validUntil);
}

}  // namespace

std::optional<SignedEntry> SplitSignedEntry(const std::string& entry) {
    // commas[k] opens field k + 1.
    std::vector<size_t> commas;
    for (size_t at = entry.find(','); at != std::string::npos && commas.size() <= kFreshnessSignatureField;
         at = entry.find(',', at + 1))
        commas.push_back(at);
    if (commas.size() < kFreshnessSignatureField) return std::nullopt;
    const size_t afterLast = commas.size() > kFreshnessSignatureField ? commas[kFreshnessSignatureField]
                                                                       : std::string::npos;
    SignedEntry parts;
    parts.releaseText = entry.substr(0, commas[kReleaseSignatureField - 1]);
    parts.releaseSignature = Between(entry, commas[kReleaseSignatureField - 1], commas[kReleaseSignatureField]);
    parts.releaseLine = entry.substr(0, commas[kReleaseSignatureField]);
    parts.signedAt = Between(entry, commas[kSignedAtField - 1], commas[kSignedAtField]);
    parts.validUntil = Between(entry, commas[kValidUntilField - 1], commas[kValidUntilField]);
    parts.freshnessSignature = Between(entry, commas[kFreshnessSignatureField - 1], afterLast);
    return parts;
}

std::string FreshnessText(const std::string& releaseLineHash, const std::string& signedAt,
                          const std::string& validUntil) {
    return releaseLineHash + "," + signedAt + "," + validUntil;
}

std::optional<platform::P256Signature> ReadSignature(const std::string& field) {
    platform::P256Signature signature{};
    if (!IsHexText(field, signature.size() * 2)) return std::nullopt;
    for (size_t i = 0; i < signature.size(); ++i)
        signature[i] = static_cast<uint8_t>(HexValue(field[2 * i]) << 4 | HexValue(field[2 * i + 1]));
    return signature;
}

bool IsSignedBy(platform::Crypto& crypto, const platform::P256PublicKey& key, const std::string& message,
                const std::string& signatureField) {
    const std::optional<platform::P256Signature> signature = ReadSignature(signatureField);
    return signature && crypto.VerifyP256(message, key, *signature);
}

bool IsTrustedEntry(const EntryTrust& trust, const std::string& entry) {
    const std::optional<SignedEntry> parts = SplitSignedEntry(entry);
    // The cheap checks first: a list of garbage costs no signature check.
    if (!parts || !HasHashAndTimes(*parts)) return false;
    if (!IsSignedBy(trust.crypto, trust.keys.release, parts->releaseText, parts->releaseSignature)) return false;
    const std::optional<platform::Sha256Digest> lineHash = HashOf(trust.crypto, parts->releaseLine);
    return lineHash && IsSignedBy(trust.crypto, trust.keys.freshness,
                                  FreshnessText(HexText(*lineHash), parts->signedAt, parts->validUntil),
                                  parts->freshnessSignature);
}

}  // namespace update
