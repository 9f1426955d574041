// The system's cryptography (CNG) under Wine as the update check uses it, with a fixed key of the
// test's own; and a held file, which no one can change or delete but which is read and started.
#include <gtest/gtest.h>

#include <windows.h>

#include "StandIns.h"
#include "update/Digests.h"
#include "update/EntrySignature.h"
#include "win32/Win32Crypto.h"
#include "win32/Win32Processes.h"
#include "win32/Win32System.h"

namespace {

const std::string kEntry = "Quodo,Quodo107.exe,,850," + std::string(64, 'a') + ",Nieuw,New";
// The key's public half (X || Y) and its signature (r || s) of the entry.
const char* const kPublicKey = "b78722ab3c26526c7a70b050dd3afdd6477f91eaff4765aa133ec3d942478fa3"
                               "53dd73750c45fb92dadc8ca4690886e81e0193abb1f9777b46627b55bd96cc96";
const std::string kSignature = "2005a8a6056a83a88d86f70673d3ee52206c42383dee9152543f5543b3e042d8"
                               "a9d38ee11eaf420543c12510d57a89981b334be2eda53bf60775e840037f3a56";

class CryptoWine : public ::testing::Test {
protected:
    void SetUp() override {
        win32::InstallSystemServices();
        win32::InstallProcesses();
        win32::InstallCrypto();
    }
    void TearDown() override { platform::Install(saved); }
    bool Trusted(const std::string& line) {
        return update::IsTrustedEntry({*platform::Current().crypto, update::ReadSignature(kPublicKey).value()}, line);
    }
    platform::Services saved = platform::Current();
};

TEST_F(CryptoWine, Sha256AndTheKeysSignatureBelievedAndAlteredOnesNot) {
    EXPECT_EQ(update::HexText(update::HashOf(*platform::Current().crypto, std::string(1000000, 'a')).value()),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    EXPECT_TRUE(Trusted(kEntry + "," + kSignature));
    EXPECT_FALSE(Trusted("Quodo,Quodo108" + kEntry.substr(14) + "," + kSignature));
    std::string flipped = kSignature;
    flipped[70] = flipped[70] == '0' ? '1' : '0';
    EXPECT_FALSE(Trusted(kEntry + "," + flipped));
}

TEST_F(CryptoWine, AHeldFileCannotBeWrittenOrDeletedButIsReadAndStarted) {
    const std::string folder = standins::FreshFolder("CryptoWine held");
    const std::string path = standins::Install(QUODO_SCHED_STANDIN, folder, "Quodo107.exe");
    platform::Services& services = platform::Current();
    {
        const auto held = services.files->Hold(path);
        ASSERT_NE(held, nullptr);
        const DWORD anySharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        EXPECT_EQ(CreateFileA(path.c_str(), GENERIC_WRITE, anySharing, nullptr, OPEN_EXISTING, 0, nullptr),
                  INVALID_HANDLE_VALUE);
        EXPECT_FALSE(services.files->DeleteFile(path));
        EXPECT_EQ(update::HashOf(*services.crypto, *held),
                  update::HashOf(*services.crypto, services.files->ReadFile(path).value()));
        EXPECT_EQ(services.processes->RunAndWait("\"" + path + "\" /exit 5", true, 10000, ""), 5);
    }
    EXPECT_TRUE(services.files->DeleteFile(path)) << "let go with its owner";
    standins::RemoveTree(folder);
}

}  // namespace
