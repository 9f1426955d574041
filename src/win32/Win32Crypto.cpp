#include "win32/Win32Crypto.h"

#include <windows.h>

#include <bcrypt.h>

#include <cstring>
#include <vector>

#include "platform/Platform.h"

namespace win32 {
namespace {

// One provider per algorithm, opened at its first use and kept for the life of the process (CNG
// providers may be used from any thread). Null when the system does not offer the algorithm.
class Provider {
public:
    explicit Provider(LPCWSTR algorithm) {
        if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&handle_, algorithm, nullptr, 0))) handle_ = nullptr;
    }
    ~Provider() {
        if (handle_) BCryptCloseAlgorithmProvider(handle_, 0);
    }
    Provider(const Provider&) = delete;
    Provider& operator=(const Provider&) = delete;
    BCRYPT_ALG_HANDLE get() const { return handle_; }

private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;
};

BCRYPT_ALG_HANDLE Sha256Provider() {
    static const Provider provider(BCRYPT_SHA256_ALGORITHM);
    return provider.get();
}

BCRYPT_ALG_HANDLE EcdsaP256Provider() {
    static const Provider provider(BCRYPT_ECDSA_P256_ALGORITHM);
    return provider.get();
}

// A hash object in memory of our own, as Windows before 7 requires.
class Sha256 : public platform::Sha256Hash {
public:
    explicit Sha256(BCRYPT_ALG_HANDLE provider) {
        DWORD objectSize = 0;
        ULONG written = 0;
        if (!BCRYPT_SUCCESS(BCryptGetProperty(provider, BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&objectSize),
                                              sizeof objectSize, &written, 0)))
            return;
        object_.resize(objectSize);
        ok_ = BCRYPT_SUCCESS(BCryptCreateHash(provider, &hash_, object_.data(), objectSize, nullptr, 0, 0));
    }
    ~Sha256() override {
        if (hash_) BCryptDestroyHash(hash_);
    }
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Add(const void* data, size_t size) override {
        if (ok_ && size > 0)
            ok_ = BCRYPT_SUCCESS(BCryptHashData(hash_, static_cast<PUCHAR>(const_cast<void*>(data)), ULONG(size), 0));
    }

    std::optional<platform::Sha256Digest> Finish() override {
        platform::Sha256Digest digest{};
        const bool done = ok_ && BCRYPT_SUCCESS(BCryptFinishHash(hash_, digest.data(), ULONG(digest.size()), 0));
        ok_ = false;
        if (!done) return std::nullopt;
        return digest;
    }

private:
    std::vector<UCHAR> object_;
    BCRYPT_HASH_HANDLE hash_ = nullptr;
    bool ok_ = false;
};

// A public key as CNG imports it: the blob header, then X and Y.
struct EccPublicBlob {
    BCRYPT_ECCKEY_BLOB header;
    UCHAR point[64];
};

class Crypto : public platform::Crypto {
public:
    std::unique_ptr<platform::Sha256Hash> NewSha256() override {
        BCRYPT_ALG_HANDLE provider = Sha256Provider();
        if (!provider) return nullptr;
        return std::make_unique<Sha256>(provider);
    }

    bool VerifyP256(const std::string& message, const platform::P256PublicKey& key,
                    const platform::P256Signature& signature) override {
        const std::unique_ptr<platform::Sha256Hash> hash = NewSha256();
        BCRYPT_ALG_HANDLE provider = EcdsaP256Provider();
        if (!hash || !provider) return false;
        hash->Add(message.data(), message.size());
        std::optional<platform::Sha256Digest> digest = hash->Finish();
        if (!digest) return false;

        EccPublicBlob blob{};
        blob.header.dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
        blob.header.cbKey = 32;
        std::memcpy(blob.point, key.data(), key.size());
        BCRYPT_KEY_HANDLE imported = nullptr;
        if (!BCRYPT_SUCCESS(BCryptImportKeyPair(provider, nullptr, BCRYPT_ECCPUBLIC_BLOB, &imported,
                                                reinterpret_cast<PUCHAR>(&blob), sizeof blob, 0)))
            return false;
        platform::P256Signature raw = signature;
        const NTSTATUS status = BCryptVerifySignature(imported, nullptr, digest->data(), ULONG(digest->size()),
                                                      raw.data(), ULONG(raw.size()), 0);
        BCryptDestroyKey(imported);
        return status == 0;
    }
};

}  // namespace

void InstallCrypto() {
    static Crypto crypto;
    platform::Current().crypto = &crypto;
}

}  // namespace win32
