#include "native/NativeCrypto.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>

#include <vector>

namespace native {
namespace {

template <class T, void (*Free)(T*)>
struct Freer {
    void operator()(T* object) const { Free(object); }
};
using DigestContext = std::unique_ptr<EVP_MD_CTX, Freer<EVP_MD_CTX, EVP_MD_CTX_free>>;
using KeyContext = std::unique_ptr<EVP_PKEY_CTX, Freer<EVP_PKEY_CTX, EVP_PKEY_CTX_free>>;
using Key = std::unique_ptr<EVP_PKEY, Freer<EVP_PKEY, EVP_PKEY_free>>;
using Signature = std::unique_ptr<ECDSA_SIG, Freer<ECDSA_SIG, ECDSA_SIG_free>>;
using ParamBuilder = std::unique_ptr<OSSL_PARAM_BLD, Freer<OSSL_PARAM_BLD, OSSL_PARAM_BLD_free>>;
using Params = std::unique_ptr<OSSL_PARAM, Freer<OSSL_PARAM, OSSL_PARAM_free>>;

class Sha256 : public platform::Sha256Hash {
public:
    Sha256() : context_(EVP_MD_CTX_new()) {
        ok_ = context_ && EVP_DigestInit_ex(context_.get(), EVP_sha256(), nullptr) == 1;
    }
    void Add(const void* data, size_t size) override {
        if (ok_ && size > 0) ok_ = EVP_DigestUpdate(context_.get(), data, size) == 1;
    }
    std::optional<platform::Sha256Digest> Finish() override {
        platform::Sha256Digest digest{};
        unsigned int length = 0;
        const bool done = ok_ && EVP_DigestFinal_ex(context_.get(), digest.data(), &length) == 1 &&
                          length == digest.size();
        ok_ = false;
        if (!done) return std::nullopt;
        return digest;
    }

private:
    DigestContext context_;
    bool ok_ = false;
};

// The public key from its raw X || Y: OpenSSL takes the point in its uncompressed form, 04 X Y,
// and refuses a point that is not on the curve.
Key PublicKeyOf(const platform::P256PublicKey& raw) {
    std::vector<unsigned char> point(1 + raw.size());
    point[0] = 0x04;
    std::copy(raw.begin(), raw.end(), point.begin() + 1);
    ParamBuilder builder(OSSL_PARAM_BLD_new());
    if (!builder || !OSSL_PARAM_BLD_push_utf8_string(builder.get(), OSSL_PKEY_PARAM_GROUP_NAME, "prime256v1", 0) ||
        !OSSL_PARAM_BLD_push_octet_string(builder.get(), OSSL_PKEY_PARAM_PUB_KEY, point.data(), point.size()))
        return nullptr;
    Params params(OSSL_PARAM_BLD_to_param(builder.get()));
    KeyContext context(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
    EVP_PKEY* key = nullptr;
    if (!params || !context || EVP_PKEY_fromdata_init(context.get()) != 1 ||
        EVP_PKEY_fromdata(context.get(), &key, EVP_PKEY_PUBLIC_KEY, params.get()) != 1)
        return nullptr;
    return Key(key);
}

// OpenSSL verifies signatures in their DER form: a sequence of the two numbers r and s.
std::vector<unsigned char> DerOf(const platform::P256Signature& raw) {
    Signature signature(ECDSA_SIG_new());
    BIGNUM* r = BN_bin2bn(raw.data(), 32, nullptr);
    BIGNUM* s = BN_bin2bn(raw.data() + 32, 32, nullptr);
    if (!signature || !r || !s || ECDSA_SIG_set0(signature.get(), r, s) != 1) {
        BN_free(r);
        BN_free(s);
        return {};
    }
    const int size = i2d_ECDSA_SIG(signature.get(), nullptr);
    if (size <= 0) return {};
    std::vector<unsigned char> der(static_cast<size_t>(size));
    unsigned char* out = der.data();
    if (i2d_ECDSA_SIG(signature.get(), &out) != size) return {};
    return der;
}

}  // namespace

std::unique_ptr<platform::Sha256Hash> OpenSslCrypto::NewSha256() { return std::make_unique<Sha256>(); }

bool OpenSslCrypto::VerifyP256(const std::string& message, const platform::P256PublicKey& key,
                               const platform::P256Signature& signature) {
    const Key publicKey = PublicKeyOf(key);
    const std::vector<unsigned char> der = DerOf(signature);
    const DigestContext context(EVP_MD_CTX_new());
    if (!publicKey || der.empty() || !context) return false;
    if (EVP_DigestVerifyInit(context.get(), nullptr, EVP_sha256(), nullptr, publicKey.get()) != 1) return false;
    const auto* bytes = reinterpret_cast<const unsigned char*>(message.data());
    return EVP_DigestVerify(context.get(), der.data(), der.size(), bytes, message.size()) == 1;
}

}  // namespace native
