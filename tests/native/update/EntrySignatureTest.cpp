// The maker's two signatures on the program's entry in the version list, checked with OpenSSL's
// libcrypto as the native build's system cryptography.
#include <gtest/gtest.h>

#include "TestSigner.h"
#include "fixtures/SignatureCases.h"
#include "native/NativeCrypto.h"
#include "update/Digests.h"
#include "update/EntrySignature.h"

namespace {

const std::string kHash = "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08";

TEST(OpenSslCrypto, Sha256OfAKnownTextFedInPieces) {
    native::OpenSslCrypto crypto;
    const auto hash = crypto.NewSha256();
    hash->Add("a", 1);
    hash->Add("bc", 2);
    EXPECT_EQ(update::HexText(hash->Finish().value()),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

// The cases the system's cryptography meets under Wine (tests/win32/update), with the same verdicts.
TEST(OpenSslCrypto, TheSharedSignatureCasesGetTheirVerdicts) {
    native::OpenSslCrypto crypto;
    const platform::P256PublicKey key = update::ReadSignature(signature_cases::kPublicKeyHex).value();
    for (const signature_cases::Case& c : signature_cases::Cases())
        EXPECT_EQ(update::IsSignedBy(crypto, key, c.message, c.signature), c.believed) << c.name;
}

class EntrySignature : public ::testing::Test {
protected:
    bool Trusted(const std::string& line) { return update::IsTrustedEntry({crypto, maker.Keys()}, line); }

    native::OpenSslCrypto crypto;
    testing_keys::TestMaker maker;
    const std::string entry = "Quodo,Quodo107.exe,,850," + kHash + ",Nieuwe versie,New version";
};

TEST_F(EntrySignature, BothSignaturesAreBelievedAndNoByteBeforeTheLastCanChange) {
    const std::string line = maker.Signed(entry);
    EXPECT_TRUE(Trusted(line));
    for (size_t at = 0; at < line.rfind(','); ++at) {
        std::string changed = line;
        changed[at] = changed[at] == '7' ? '8' : '7';
        EXPECT_FALSE(Trusted(changed)) << "byte " << at;
    }
}

// The release signature by another key, or the times; each key's part signed by the other; either
// signature missing; the list's older form (fields 0 to 8 with one signature).
TEST_F(EntrySignature, EitherSignatureMissingOrByAnotherKeyIsRefused) {
    testing_keys::TestMaker other, swapped;
    std::swap(swapped.release.publicKey, swapped.freshness.publicKey);
    EXPECT_FALSE(update::IsTrustedEntry({crypto, swapped.Keys()}, swapped.Signed(entry)));
    const std::string released = maker.Released(entry), line = maker.Signed(entry);
    const std::string older = entry + ",2026-01-01T00:00:00Z,2026-01-31T00:00:00Z";
    for (const std::string& refused :
         {maker.Renewed(other.Released(entry)), other.Renewed(released), line.substr(0, line.rfind(',')),
          entry + ",," + line.substr(released.size() + 1), older + "," + maker.release.SignatureHex(older)})
        EXPECT_FALSE(Trusted(refused)) << refused;
}

TEST_F(EntrySignature, SignedEntriesWithoutAHashOrTimesAreRefused) {
    for (const std::string& field : {std::string(), std::string("-"), kHash.substr(1)})
        EXPECT_FALSE(Trusted(maker.Signed("Quodo,Quodo107.exe,,850," + field + ",Nieuw,New"))) << "field 4: " << field;
    EXPECT_FALSE(Trusted(maker.Signed(entry, "2026-01-01"))) << "signed at no time";
    EXPECT_FALSE(Trusted(maker.Signed(entry, "2026-01-01T00:00:00Z", ""))) << "valid until no time";
}

}  // namespace
