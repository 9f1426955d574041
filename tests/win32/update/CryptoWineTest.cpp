// The system's cryptography (CNG) as the program checks the version list with it, under Wine: the
// shared signature cases get the verdicts OpenSSL gives them in the native tests.
#include <gtest/gtest.h>

#include "fixtures/SignatureCases.h"
#include "platform/Platform.h"
#include "update/EntrySignature.h"
#include "win32/Win32Crypto.h"

namespace {

TEST(CngSignatures, TheSharedCasesGetTheirVerdicts) {
    const platform::Services saved = platform::Current();
    win32::InstallCrypto();
    const update::EntryTrust trust{*platform::Current().crypto,
                                   update::ReadSignature(signature_cases::kPublicKeyHex).value()};
    for (const signature_cases::Case& c : signature_cases::Cases())
        EXPECT_EQ(update::IsTrustedEntry(trust, c.entry), c.believed) << c.name;
    platform::Install(saved);
}

}  // namespace
