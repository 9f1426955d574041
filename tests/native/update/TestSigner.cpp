#include "TestSigner.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>

#include <stdexcept>
#include <vector>

namespace testing_keys {

struct TestSigner::Key {
    EVP_PKEY* pkey = nullptr;
    ~Key() { EVP_PKEY_free(pkey); }
};

TestSigner::TestSigner() : key_(std::make_unique<Key>()) {
    key_->pkey = EVP_EC_gen("P-256");
    unsigned char point[65];
    size_t length = 0;
    if (!key_->pkey ||
        EVP_PKEY_get_octet_string_param(key_->pkey, OSSL_PKEY_PARAM_PUB_KEY, point, sizeof point, &length) != 1 ||
        length != sizeof point || point[0] != 0x04)
        throw std::runtime_error("no P-256 key");
    std::copy(point + 1, point + sizeof point, publicKey_.begin());
}

TestSigner::~TestSigner() = default;

std::string TestSigner::SignatureHex(const std::string& text) const {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    std::vector<unsigned char> der(128);
    size_t derLength = der.size();
    const bool signedOk = context && EVP_DigestSignInit(context, nullptr, EVP_sha256(), nullptr, key_->pkey) == 1 &&
                          EVP_DigestSign(context, der.data(), &derLength,
                                         reinterpret_cast<const unsigned char*>(text.data()), text.size()) == 1;
    EVP_MD_CTX_free(context);
    if (!signedOk) throw std::runtime_error("signing failed");
    const unsigned char* in = der.data();
    ECDSA_SIG* signature = d2i_ECDSA_SIG(nullptr, &in, static_cast<long>(derLength));
    if (!signature) throw std::runtime_error("no DER signature");
    unsigned char raw[64];
    BN_bn2binpad(ECDSA_SIG_get0_r(signature), raw, 32);
    BN_bn2binpad(ECDSA_SIG_get0_s(signature), raw + 32, 32);
    ECDSA_SIG_free(signature);
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : raw) {
        hex += digits[byte >> 4];
        hex += digits[byte & 0x0f];
    }
    return hex;
}

}  // namespace testing_keys
