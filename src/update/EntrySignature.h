// The maker signs the program's own entry in the version list, so that the program believes only
// entries the maker wrote, whatever the server or the way to it delivers:
//
//   Quodo,Quodo107.exe,,850,<SHA-256>,<Dutch text>,<English text>,<signed at>,<valid until>,<signature>
//
// Field 9 is an ECDSA signature on the P-256 curve over the SHA-256 of the entry's exact bytes
// before the comma that opens field 9 (fields 0 to 8 with their commas), written as 128 hexadecimal
// digits of r and s (32 bytes each, big-endian). The two times of fields 7 and 8 are signed with the
// rest, so that no one can make an old list look new. Readers that know only fields 0 to 6 read such
// an entry as before.
#pragma once

#include <optional>
#include <string>

#include "platform/Platform.h"

namespace update {

constexpr size_t kSignedAtField = 7;
constexpr size_t kValidUntilField = 8;
constexpr size_t kSignatureField = 9;

// The entry cut before the comma that opens field 9: what is signed, and field 9 itself (up to the
// next comma, if another follows). Nothing when the entry has no field 9.
struct SignedEntry {
    std::string signedText;
    std::string signatureField;
};
std::optional<SignedEntry> SplitSignedEntry(const std::string& entry);

// r || s from field 7: nothing unless it is exactly 128 hexadecimal digits.
std::optional<platform::P256Signature> ReadSignature(const std::string& field);

// The key the program believes, and the cryptography that checks signatures by it.
struct EntryTrust {
    platform::Crypto& crypto;
    platform::P256PublicKey key;
};

// An entry is believed only when field 9 is a valid signature by the trusted key, field 4 holds a
// SHA-256 to check the installer against and fields 7 and 8 are times.
bool IsTrustedEntry(const EntryTrust& trust, const std::string& entry);

}  // namespace update
