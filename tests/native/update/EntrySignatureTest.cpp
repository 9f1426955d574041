// The maker's signature on the program's entry in the version list, checked with OpenSSL's libcrypto
// as the native build's system cryptography.
#include <gtest/gtest.h>

#include <string>

#include "TestSigner.h"
#include "native/NativeCrypto.h"
#include "update/Digests.h"
#include "update/EntrySignature.h"
#include "update/VersionList.h"

namespace {

using update::CheckResult;

const std::string kHash = "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08";

TEST(OpenSslCrypto, Sha256OfAKnownTextFedInPieces) {
    native::OpenSslCrypto crypto;
    const auto hash = crypto.NewSha256();
    hash->Add("a", 1);
    hash->Add("bc", 2);
    const auto digest = hash->Finish();
    ASSERT_TRUE(digest.has_value());
    EXPECT_EQ(update::HexText(*digest), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_FALSE(hash->Finish().has_value()) << "a finished hash is spent";
}

class EntrySignature : public ::testing::Test {
protected:
    bool Trusted(const std::string& line) { return update::IsTrustedEntry(trust, line); }
    update::CheckOutcome Check(const std::string& ourLine) {
        return update::ReadVersionListText("QuodoPro,QuodoPro210.exe,,812,-\r\n" + ourLine + "\r\n", "Quodo",
                                           "versie 1.06", trust);
    }

    native::OpenSslCrypto crypto;
    testing_keys::TestSigner maker;
    update::EntryTrust trust{crypto, maker.PublicKey()};
    const std::string entry = "Quodo,Quodo107.exe,,850," + kHash + ",Nieuwe versie,New version";
};

TEST_F(EntrySignature, TheMakersSignatureIsBelievedAndNoByteOfFieldsZeroToSixCanChange) {
    const std::string line = maker.Signed(entry);
    EXPECT_TRUE(Trusted(line));
    EXPECT_EQ(Check(line).result, CheckResult::UpdateAdvised);
    for (size_t at = 0; at <= entry.size(); ++at) {
        std::string changed = line;
        changed[at] = changed[at] == '7' ? '8' : '7';
        EXPECT_FALSE(Trusted(changed)) << "byte " << at << ": " << changed.substr(0, entry.size() + 1);
    }
}

TEST_F(EntrySignature, AnotherKeyOrAField7ThatIsNoSignatureIsRefused) {
    testing_keys::TestSigner other;
    EXPECT_FALSE(Trusted(other.Signed(entry)));
    const std::string signature = maker.SignatureHex(entry);
    EXPECT_FALSE(Trusted(entry)) << "no field 7";
    for (const std::string& field : {std::string(), signature.substr(0, 126), signature + "00",
                                     signature.substr(0, 127) + "g", "+" + signature.substr(1)})
        EXPECT_FALSE(Trusted(entry + "," + field)) << "field 7: " << field;
    EXPECT_TRUE(update::ReadSignature(std::string(128, 'F')).has_value()) << "hexadecimal digits in either case";
}

TEST_F(EntrySignature, ASignedEntryWithoutAnInstallerHashIsRefused) {
    for (const std::string& field : {std::string(), std::string("-"), kHash.substr(1), kHash + "0"})
        EXPECT_FALSE(Trusted(maker.Signed("Quodo,Quodo107.exe,,850," + field + ",Nieuw,New"))) << field;
}

// A forged "you are up to date" is refused like a forged update: no entry comes out of the check.
TEST_F(EntrySignature, EveryVersionAnUnbelievedEntryNamesIsRefused) {
    for (const char* installer : {"Quodo105.exe", "Quodo106.exe", "Quodo107.exe"}) {
        const std::string ours = std::string("Quodo,") + installer + ",,850," + kHash + ",Nieuw,New";
        for (const std::string& line : {ours, ours + "," + std::string(128, '0'), ours.substr(0, 50)}) {
            const update::CheckOutcome outcome = Check(line);
            EXPECT_EQ(outcome.result, CheckResult::SignatureInvalid) << line;
            EXPECT_FALSE(outcome.entry.has_value());
        }
        EXPECT_NE(Check(maker.Signed(ours)).result, CheckResult::SignatureInvalid) << installer;
    }
}

}  // namespace
