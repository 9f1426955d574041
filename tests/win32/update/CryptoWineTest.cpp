// The system's cryptography (CNG) under Wine, as the update check uses it: a SHA-256 vector, the
// maker's signature on an entry believed and altered ones refused, by a fixed key of the test's own;
// and a held file, which no one can change or delete but which can still be read and started.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "StandIns.h"
#include "platform/Platform.h"
#include "update/Digests.h"
#include "update/EntrySignature.h"
#include "win32/Win32Crypto.h"
#include "win32/Win32Processes.h"
#include "win32/Win32System.h"

namespace {

// Fixed for this test: a P-256 key's public half (X || Y) and its signature (r || s) of the entry.
const std::string kEntry =
    "Quodo,Quodo107.exe,,850,ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad,Nieuw,New";
const std::string kPublicKey =
    "44166cef1f3622bfde884e823fc0580f0c611351f1d4b5b704aa7dc95a233e9a"
    "f91b8ef0036685c4072d7d81294f7b70a5e2d23aa18289883203e384c9ce70bd";
const std::string kSignature =
    "9187f43455b012e2e2529f09bc8b8d74e4056cd8b3dd0fc2bfc5a96731b212dd"
    "2edaf8a37d18a9667c3de2b61abe3cb1ad322fd212411b5901a5eb1b53e71c2d";

class CryptoWine : public ::testing::Test {
protected:
    void SetUp() override {
        win32::InstallSystemServices();
        win32::InstallProcesses();
        win32::InstallCrypto();
    }
    void TearDown() override { platform::Install(saved); }
    platform::Crypto& crypto() { return *platform::Current().crypto; }
    bool Trusted(const std::string& line, const std::string& keyHex = kPublicKey) {
        return update::IsTrustedEntry({crypto(), update::ReadSignature(keyHex).value()}, line);
    }

    platform::Services saved = platform::Current();
};

TEST_F(CryptoWine, Sha256OfKnownVectorsFedInPieces) {
    const auto abc = crypto().NewSha256();
    ASSERT_NE(abc, nullptr);
    abc->Add("ab", 2);
    abc->Add("c", 1);
    EXPECT_EQ(update::HexText(abc->Finish().value()),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(update::HexText(update::HashOf(crypto(), std::string(1000000, 'a')).value()),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST_F(CryptoWine, TheKeysSignatureIsBelievedAndAlteredOnesAreNot) {
    EXPECT_TRUE(Trusted(kEntry + "," + kSignature));
    std::string otherEntry = kEntry;
    otherEntry.replace(otherEntry.find("107"), 3, "108");
    EXPECT_FALSE(Trusted(otherEntry + "," + kSignature));
    std::string flipped = kSignature;
    flipped[70] = flipped[70] == '0' ? '1' : '0';
    EXPECT_FALSE(Trusted(kEntry + "," + flipped));
    std::string otherKey = kPublicKey;
    otherKey[127] = otherKey[127] == '0' ? '1' : '0';  // no longer a point of the curve
    EXPECT_FALSE(Trusted(kEntry + "," + kSignature, otherKey));
}

TEST_F(CryptoWine, AHeldFileCannotBeChangedOrDeletedButIsReadAndStarted) {
    const std::string folder = standins::FreshFolder("CryptoWine held");
    const std::string path = standins::Install(QUODO_SCHED_STANDIN, folder, "Quodo107.exe");
    const std::string other = standins::Install(QUODO_SCHED_STANDIN, folder, "other.exe");
    const std::string content = standins::ReadAll(path);
    platform::Services& services = platform::Current();
    {
        const auto held = services.files->Hold(path);
        ASSERT_NE(held, nullptr);
        const DWORD anySharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        const HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, anySharing, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
        EXPECT_FALSE(services.files->DeleteFile(path));
        EXPECT_FALSE(MoveFileExA(other.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) << "replaced";
        EXPECT_EQ(services.files->ReadFile(path).value_or(""), content);
        EXPECT_EQ(update::HashOf(crypto(), *held), update::HashOf(crypto(), content));
        EXPECT_EQ(services.processes->RunAndWait("\"" + path + "\" /exit 5", true, 10000), 5);
    }
    EXPECT_TRUE(services.files->DeleteFile(path)) << "let go with its owner";
    standins::RemoveTree(folder);
}

}  // namespace
