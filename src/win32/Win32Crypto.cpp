#include "win32/Win32Crypto.h"

#include <windows.h>

#include <bcrypt.h>

#include <cstring>
#include <vector>

#include "platform/Platform.h"
#include "win32/Win32System.h"

namespace win32 {
namespace {

template <class Fn>
Fn EntryOf(HMODULE library, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// CNG's bcrypt.dll, loaded from the system folder at its first use rather than at start: under Wine
// it brings a cryptography library of its own with it, about 2 MiB more at the first paint for a
// check that runs a minute later. Loaded once and kept for the life of the process, with one
// provider per algorithm (CNG providers may be used from any thread); every entry is null when the
// library or an algorithm is missing.
struct Cng {
    decltype(&BCryptGetProperty) getProperty = nullptr;
    decltype(&BCryptCreateHash) createHash = nullptr;
    decltype(&BCryptHashData) hashData = nullptr;
    decltype(&BCryptFinishHash) finishHash = nullptr;
    decltype(&BCryptDestroyHash) destroyHash = nullptr;
    decltype(&BCryptImportKeyPair) importKeyPair = nullptr;
    decltype(&BCryptVerifySignature) verifySignature = nullptr;
    decltype(&BCryptDestroyKey) destroyKey = nullptr;
    BCRYPT_ALG_HANDLE sha256 = nullptr;
    BCRYPT_ALG_HANDLE ecdsaP256 = nullptr;

    Cng() {
        const std::string path = SystemFilePath("bcrypt.dll");
        HMODULE library = path.empty() ? nullptr : LoadLibraryA(path.c_str());
        if (!library) return;
        const auto open = EntryOf<decltype(&BCryptOpenAlgorithmProvider)>(library, "BCryptOpenAlgorithmProvider");
        getProperty = EntryOf<decltype(getProperty)>(library, "BCryptGetProperty");
        createHash = EntryOf<decltype(createHash)>(library, "BCryptCreateHash");
        hashData = EntryOf<decltype(hashData)>(library, "BCryptHashData");
        finishHash = EntryOf<decltype(finishHash)>(library, "BCryptFinishHash");
        destroyHash = EntryOf<decltype(destroyHash)>(library, "BCryptDestroyHash");
        importKeyPair = EntryOf<decltype(importKeyPair)>(library, "BCryptImportKeyPair");
        verifySignature = EntryOf<decltype(verifySignature)>(library, "BCryptVerifySignature");
        destroyKey = EntryOf<decltype(destroyKey)>(library, "BCryptDestroyKey");
        if (!open || !getProperty || !createHash || !hashData || !finishHash || !destroyHash) return;
        if (!BCRYPT_SUCCESS(open(&sha256, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) sha256 = nullptr;
        if (!importKeyPair || !verifySignature || !destroyKey) return;
        if (!BCRYPT_SUCCESS(open(&ecdsaP256, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0))) ecdsaP256 = nullptr;
    }
};

const Cng& TheCng() {
    static const Cng cng;
    return cng;
}

// A hash object in memory of our own, as Windows before 7 requires.
class Sha256 : public platform::Sha256Hash {
public:
    explicit Sha256(const Cng& cng) : cng_(cng) {
        DWORD objectSize = 0;
        ULONG written = 0;
        if (!BCRYPT_SUCCESS(cng_.getProperty(cng_.sha256, BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&objectSize),
                                             sizeof objectSize, &written, 0)))
            return;
        object_.resize(objectSize);
        ok_ = BCRYPT_SUCCESS(cng_.createHash(cng_.sha256, &hash_, object_.data(), objectSize, nullptr, 0, 0));
        if (!ok_) hash_ = nullptr;
    }
    ~Sha256() override {
        if (hash_) cng_.destroyHash(hash_);
    }
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Add(const void* data, size_t size) override {
        if (ok_ && size > 0)
            ok_ = BCRYPT_SUCCESS(cng_.hashData(hash_, static_cast<PUCHAR>(const_cast<void*>(data)), ULONG(size), 0));
    }

    std::optional<platform::Sha256Digest> Finish() override {
        platform::Sha256Digest digest{};
        const bool done = ok_ && BCRYPT_SUCCESS(cng_.finishHash(hash_, digest.data(), ULONG(digest.size()), 0));
        ok_ = false;
        if (!done) return std::nullopt;
        return digest;
    }

private:
    const Cng& cng_;
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
        const Cng& cng = TheCng();
        if (!cng.sha256) return nullptr;
        return std::make_unique<Sha256>(cng);
    }

    bool VerifyP256(const std::string& message, const platform::P256PublicKey& key,
                    const platform::P256Signature& signature) override {
        const Cng& cng = TheCng();
        const std::unique_ptr<platform::Sha256Hash> hash = NewSha256();
        if (!hash || !cng.ecdsaP256) return false;
        hash->Add(message.data(), message.size());
        std::optional<platform::Sha256Digest> digest = hash->Finish();
        if (!digest) return false;

        EccPublicBlob blob{};
        blob.header.dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
        blob.header.cbKey = 32;
        std::memcpy(blob.point, key.data(), key.size());
        BCRYPT_KEY_HANDLE imported = nullptr;
        if (!BCRYPT_SUCCESS(cng.importKeyPair(cng.ecdsaP256, nullptr, BCRYPT_ECCPUBLIC_BLOB, &imported,
                                              reinterpret_cast<PUCHAR>(&blob), sizeof blob, 0)))
            return false;
        platform::P256Signature raw = signature;
        const NTSTATUS status =
            cng.verifySignature(imported, nullptr, digest->data(), ULONG(digest->size()), raw.data(), ULONG(raw.size()), 0);
        cng.destroyKey(imported);
        return status == 0;
    }
};

}  // namespace

void InstallCrypto() {
    // Lives until the process ends: a download cut short at the end may still be hashing.
    static Crypto* const crypto = new Crypto;
    platform::Current().crypto = crypto;
}

}  // namespace win32
