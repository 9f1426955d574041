// The system's cryptography (CNG) under Wine, through the program's own check of a signature field:
// the shared signature cases get the verdicts OpenSSL gives them natively.
#include <gtest/gtest.h>

#include "fixtures/SignatureCases.h"
#include "update/EntrySignature.h"
#include "win32/Win32Crypto.h"

TEST(CngSignatures, TheSharedCasesGetTheirVerdicts) {
    win32::InstallCrypto();
    const platform::P256PublicKey key = update::ReadSignature(signature_cases::kPublicKeyHex).value();
    for (const signature_cases::Case& c : signature_cases::Cases())
        EXPECT_EQ(update::IsSignedBy(*platform::Current().crypto, key, c.message, c.signature), c.believed) << c.name;
}
