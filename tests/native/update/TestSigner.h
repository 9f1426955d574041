// P-256 keys of the test's own (OpenSSL) that sign version-list entries as the build's list writer
// does: field 7 is the release key's r || s, in hex, over fields 0 to 6; fields 8 and 9 are the
// times; field 10 the freshness key's over the release line's SHA-256 and the times.
#pragma once

#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/sha.h>

#include <string>

#include "platform/Platform.h"
#include "update/EntrySignature.h"

namespace testing_keys {

inline std::string Hex(const unsigned char* bytes, size_t size) {
    std::string hex;
    for (size_t i = 0; i < size; ++i) hex += {"0123456789abcdef"[bytes[i] >> 4], "0123456789abcdef"[bytes[i] & 15]};
    return hex;
}

struct TestSigner {
    TestSigner() {
        unsigned char point[65];  // 04 X Y
        EVP_PKEY_get_octet_string_param(key, OSSL_PKEY_PARAM_PUB_KEY, point, sizeof point, nullptr);
        std::copy(point + 1, point + sizeof point, publicKey.begin());
    }
    ~TestSigner() { EVP_PKEY_free(key); }
    TestSigner(const TestSigner&) = delete;
    TestSigner& operator=(const TestSigner&) = delete;

    std::string SignatureHex(const std::string& text) const {
        unsigned char der[80], raw[64];
        size_t size = sizeof der;
        EVP_MD_CTX* context = EVP_MD_CTX_new();
        EVP_DigestSignInit(context, nullptr, EVP_sha256(), nullptr, key);
        EVP_DigestSign(context, der, &size, reinterpret_cast<const unsigned char*>(text.data()), text.size());
        EVP_MD_CTX_free(context);
        const unsigned char* in = der;
        ECDSA_SIG* signature = d2i_ECDSA_SIG(nullptr, &in, long(size));
        BN_bn2binpad(ECDSA_SIG_get0_r(signature), raw, 32);
        BN_bn2binpad(ECDSA_SIG_get0_s(signature), raw + 32, 32);
        ECDSA_SIG_free(signature);
        return Hex(raw, sizeof raw);
    }

    EVP_PKEY* key = EVP_EC_gen("P-256");
    platform::P256PublicKey publicKey{};
};

// The maker's two keys.
struct TestMaker {
    // Fields 0 to 6 with the release signature: what the release step writes.
    std::string Released(const std::string& fields) const { return fields + "," + release.SignatureHex(fields); }
    // A release line with new times, by default a month that holds the fake clock's day (2026-01-05).
    std::string Renewed(const std::string& released, const std::string& signedAt = "2026-01-01T00:00:00Z",
                        const std::string& validUntil = "2026-01-31T00:00:00Z") const {
        unsigned char hash[SHA256_DIGEST_LENGTH];
        SHA256(reinterpret_cast<const unsigned char*>(released.data()), released.size(), hash);
        const std::string times = signedAt + "," + validUntil;
        return released + "," + times + "," + freshness.SignatureHex(Hex(hash, sizeof hash) + "," + times);
    }
    std::string Signed(const std::string& fields, const std::string& signedAt = "2026-01-01T00:00:00Z",
                       const std::string& validUntil = "2026-01-31T00:00:00Z") const {
        return Renewed(Released(fields), signedAt, validUntil);
    }
    update::UpdateKeys Keys() const { return {release.publicKey, freshness.publicKey}; }

    TestSigner release, freshness;
};

}  // namespace testing_keys
