// The maker signs the program's own entry in the version list, so that the program believes only
// entries the maker wrote, whatever the server or the way to it delivers:
//
//   Quodo,Quodo107.exe,,850,<SHA-256>,<Dutch text>,<English text>,<signature>
//
// Field 7 is an ECDSA signature on the P-256 curve over the SHA-256 of the entry's exact bytes
// before the comma that opens field 7 (fields 0 to 6 with their commas), written as 128 hexadecimal
// digits of r and s (32 bytes each, big-endian). Readers that know only fields 0 to 6 read such an
// entry as before.
#pragma once

#include <optional>
#include <string>

#include "platform/Platform.h"

namespace update {

constexpr size_t kSignatureField = 7;

// The entry cut before the comma that opens field 7: what is signed, and field 7 itself (up to the
// next comma, if another follows). Nothing when the entry has no field 7.
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

// An entry is believed only when field 7 is a valid signature by the trusted key and field 4 holds
// a SHA-256 to check the installer against.
bool IsTrustedEntry(const EntryTrust& trust, const std::string& entry);

}  // namespace update
