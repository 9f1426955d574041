// SHA-256 digests as the version list writes them, and hashing through the system's cryptography.
#pragma once

#include <optional>
#include <string>

#include "platform/Platform.h"

namespace update {

// The digest as 64 lower-case hexadecimal digits.
std::string HexText(const platform::Sha256Digest& digest);
// True when text is exactly that many hexadecimal digits (either case).
bool IsHexText(const std::string& text, size_t digits);
// Field 4 of an entry holds a hash when it is exactly 64 hexadecimal digits.
inline bool IsSha256Text(const std::string& field) { return IsHexText(field, 64); }
// True when the field is a hash and names this digest (in either case).
bool HashFieldMatches(const std::string& field, const std::optional<platform::Sha256Digest>& digest);

// The SHA-256 of some bytes; nothing when the system could not hash.
std::optional<platform::Sha256Digest> HashOf(platform::Crypto& crypto, const std::string& data);
// The SHA-256 of a held file read from where it stands to its end; nothing when reading or hashing
// failed.
std::optional<platform::Sha256Digest> HashOf(platform::Crypto& crypto, platform::HeldFile& file);

}  // namespace update
