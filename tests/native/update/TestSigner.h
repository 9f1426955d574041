// A P-256 key pair of the test's own (OpenSSL) that signs version-list entries as the build's list
// writer does: fields 7 and 8 are the times of the signing, field 9 is r || s, in hex, of the
// signature over the entry's bytes before it.
#pragma once

#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>

#include <string>

#include "platform/Platform.h"

namespace testing_keys {

struct TestSigner {
    TestSigner() {
        unsigned char point[65];  // 04 X Y
        EVP_PKEY_get_octet_string_param(key, OSSL_PKEY_PARAM_PUB_KEY, point, sizeof point, nullptr);
        std::copy(point + 1, point + sizeof point, publicKey.begin());
    }
    ~TestSigner() { EVP_PKEY_free(key); }

    // Fields 0 to 6 with the times, by default a month that holds the fake clock's day (2026-01-05),
    // and the signature of them all.
    std::string Signed(const std::string& fields, const std::string& signedAt = "2026-01-01T00:00:00Z",
                       const std::string& validUntil = "2026-01-31T00:00:00Z") const {
        const std::string text = fields + "," + signedAt + "," + validUntil;
        return text + "," + SignatureHex(text);
    }
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
        std::string hex;
        for (unsigned char byte : raw) hex += {"0123456789abcdef"[byte >> 4], "0123456789abcdef"[byte & 15]};
        return hex;
    }

    EVP_PKEY* key = EVP_EC_gen("P-256");
    platform::P256PublicKey publicKey{};
};

}  // namespace testing_keys
