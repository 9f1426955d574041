// Two keys of the maker sign the program's own entry in the version list, so that the program
// believes only entries the maker wrote, whatever the server or the way to it delivers:
//
//   Quodo,Quodo107.exe,,850,<SHA-256>,<Dutch>,<English>,<release signature>,<signed at>,<valid until>,<freshness signature>
//
// The release key, kept offline, signs what to install: field 7 is its signature over the entry's
// exact bytes before the comma that opens field 7 (fields 0 to 6 with their commas). The freshness
// key, which may sit on the maker's web server, signs only when the list was signed and until when
// it holds: field 10 is its signature over the text "<release line's SHA-256>,<signed at>,<valid
// until>", where the release line is the entry's bytes before the comma that opens field 8 (fields
// 0 to 7) and its SHA-256 is written as 64 lower-case hexadecimal digits. So fields 8 to 10 can be
// renewed every month without the release key, and the freshness key alone cannot change what is
// installed. Each signature is ECDSA on the P-256 curve over the SHA-256 of its text, written as 128
// hexadecimal digits of r and s (32 bytes each, big-endian). Readers that know only fields 0 to 6
// read such an entry as before.
#pragma once

#include <optional>
#include <string>

#include "platform/Platform.h"

namespace update {

constexpr size_t kReleaseSignatureField = 7;
constexpr size_t kSignedAtField = 8;
constexpr size_t kValidUntilField = 9;
constexpr size_t kFreshnessSignatureField = 10;

// The entry cut where the two signatures cut it; nothing when it has no field 10.
struct SignedEntry {
    std::string releaseText;         // fields 0 to 6: what the release key signs
    std::string releaseSignature;    // field 7
    std::string releaseLine;         // fields 0 to 7: what the freshness key names by its hash
    std::string signedAt;            // field 8
    std::string validUntil;          // field 9
    std::string freshnessSignature;  // field 10, up to the next comma if another follows
};
std::optional<SignedEntry> SplitSignedEntry(const std::string& entry);

// What the freshness key signs for a release line with that SHA-256 (64 hexadecimal digits).
std::string FreshnessText(const std::string& releaseLineHash, const std::string& signedAt,
                          const std::string& validUntil);

// r || s from a signature field: nothing unless it is exactly 128 hexadecimal digits.
std::optional<platform::P256Signature> ReadSignature(const std::string& field);
// True only when the field is a valid signature of the message by the key.
bool IsSignedBy(platform::Crypto& crypto, const platform::P256PublicKey& key, const std::string& message,
                const std::string& signatureField);

// The maker's two public keys, which the program carries.
struct UpdateKeys {
    platform::P256PublicKey release{};
    platform::P256PublicKey freshness{};
};

// The keys the program believes, and the cryptography that checks signatures by them.
struct EntryTrust {
    platform::Crypto& crypto;
    UpdateKeys keys;
};

// An entry is believed only when field 4 holds a SHA-256 to check the installer against, fields 8
// and 9 are times, field 7 is a valid signature by the release key and field 10 one by the
// freshness key.
bool IsTrustedEntry(const EntryTrust& trust, const std::string& entry);

}  // namespace update
