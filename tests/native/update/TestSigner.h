// A P-256 key pair of the test's own, made with OpenSSL, that signs version-list entries as the
// build's list writer does: field 7 is r || s of the signature over the entry's bytes before it.
#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"

namespace testing_keys {

class TestSigner {
public:
    TestSigner();  // a new key pair
    ~TestSigner();
    TestSigner(const TestSigner&) = delete;
    TestSigner& operator=(const TestSigner&) = delete;

    const platform::P256PublicKey& PublicKey() const { return publicKey_; }
    // 128 lower-case hexadecimal digits of r and s.
    std::string SignatureHex(const std::string& text) const;
    // The entry with its signature as field 7.
    std::string Signed(const std::string& entry) const { return entry + "," + SignatureHex(entry); }

private:
    struct Key;
    std::unique_ptr<Key> key_;
    platform::P256PublicKey publicKey_{};
};

}  // namespace testing_keys
