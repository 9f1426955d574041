// SHA-256 and ECDSA P-256 verification with OpenSSL's libcrypto, for the native build: the same
// operations the program asks of the system's CNG on Windows.
#pragma once

#include "platform/Platform.h"

namespace native {

class OpenSslCrypto : public platform::Crypto {
public:
    std::unique_ptr<platform::Sha256Hash> NewSha256() override;
    bool VerifyP256(const std::string& message, const platform::P256PublicKey& key,
                    const platform::P256Signature& signature) override;
};

}  // namespace native
