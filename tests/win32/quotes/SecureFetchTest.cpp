// The version list over HTTPS, against the fixture server's TLS side. Its certificate names only the
// maker's web host and is signed by the fixture's own test CA, which this test adds to the Wine
// prefix's trusted roots before any fetch.
#include <gtest/gtest.h>

#include <windows.h>
#include <wincrypt.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "FixtureServer.h"
#include "RecordingWeb.h"
#include "quotes/Fetch.h"
#include "quotes/Hosts.h"
#include "win32/Win32Web.h"

namespace {

using quotes::ClassifyPage;
using quotes::FetchUrlToFile;
using quotes::PageOutcome;

void TrustTestAuthority() {
    std::ifstream in(QUODO_FIXTURE_CA, std::ios::binary);
    std::ostringstream pem;
    pem << in.rdbuf();
    const std::string text = pem.str();
    if (text.empty()) throw std::runtime_error("no test CA at " QUODO_FIXTURE_CA);
    DWORD size = 0;
    if (!CryptStringToBinaryA(text.c_str(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64HEADER, nullptr,
                              &size, nullptr, nullptr))
        throw std::runtime_error("the test CA is no PEM certificate");
    std::vector<BYTE> der(size);
    CryptStringToBinaryA(text.c_str(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64HEADER, der.data(), &size,
                         nullptr, nullptr);
    HCERTSTORE roots = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root");
    if (!roots) throw std::runtime_error("cannot open the trusted roots");
    const BOOL added = CertAddEncodedCertificateToStore(roots, X509_ASN_ENCODING, der.data(), size,
                                                        CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    CertCloseStore(roots, 0);
    if (!added) throw std::runtime_error("cannot add the test CA to the trusted roots");
}

// A version list as the maker's site serves it: a line per program, ended by CR LF.
const char* const kVersionList =
    "Quodo,Quodo108.exe,,912,0,Nieuwe versie,New version\r\n"
    "Andere,Andere203.exe,b,1400,0\r\n";

class SecureFetch : public ::testing::Test {
protected:
    static void SetUpTestSuite() { TrustTestAuthority(); }
    void SetUp() override {
        win32::InstallWeb();
        web_ = std::make_unique<RecordingWeb>(*platform::Current().web);
    }
    RecordingWeb& web() { return *web_; }

private:
    std::unique_ptr<RecordingWeb> web_;
};

TEST_F(SecureFetch, TheVersionListComesOverHttpsFromTheMakersWebHost) {
    std::string body;  // the list as a JSON string: its line ends escaped
    for (const char* c = kVersionList; *c; ++c) body += *c == '\r' ? "\\r" : *c == '\n' ? "\\n" : std::string(1, *c);
    fixture::Load(R"({"routes": {"www.quodosoft.nl/versions.dat": [{"body": ")" + body + R"("}]}})");
    const auto result = FetchUrlToFile(web(), quotes::VersionListProfile());
    EXPECT_EQ(result.body, kVersionList);
    EXPECT_TRUE(result.complete);
    EXPECT_EQ(ClassifyPage(result), PageOutcome::Accepted);
    EXPECT_EQ(result.attemptsMade, 1);

    const auto seen = fixture::Requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].scheme, "https");
    EXPECT_EQ(seen[0].host, hosts::kMakerWebHost);
    EXPECT_EQ(seen[0].target, "/versions.dat");
    EXPECT_EQ(seen[0].Header("User-Agent"), "Delphi Function: Download");
    ASSERT_EQ(web().urlBounds.size(), 1u);
    EXPECT_EQ(web().urlBounds[0].receiveMs, 2000u);
}

TEST_F(SecureFetch, AnEmptyFirstAnswerIsAskedForOnceMore) {
    fixture::Load(R"({"routes": {"www.quodosoft.nl/versions.dat": [{"body": ""}, {"body": "short"}]}})");
    const auto result = FetchUrlToFile(web(), quotes::VersionListProfile());
    EXPECT_EQ(result.attemptsMade, 2);
    EXPECT_EQ(result.body, "short");
    EXPECT_EQ(ClassifyPage(result), PageOutcome::Rejected) << "under 50 characters";
    const auto seen = fixture::Requests();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].attempt, 2);
}

// The certificate is for the web host, not for the bare domain: a fetch there must fail instead of
// taking an answer from a server that cannot prove who it is.
TEST_F(SecureFetch, ACertificateForAnotherNameIsRefused) {
    fixture::Load(R"({"routes": {"quodosoft.nl/versions.dat": [{"body_size": 200, "fill": "v"}]}})");
    quotes::FetchProfile profile = quotes::VersionListProfile();
    profile.url = std::string("https://") + hosts::kMakerDomain + "/versions.dat";
    const auto result = FetchUrlToFile(web(), profile);
    EXPECT_TRUE(result.body.empty());
    EXPECT_EQ(ClassifyPage(result), PageOutcome::Failed);
    EXPECT_TRUE(fixture::Requests().empty()) << "no request may pass a failed handshake";
}

// A read that times out delivers nothing, so what counts is whether whole chunks came before the stall.
TEST_F(SecureFetch, StallsEndAfterTheReceiveTimeout) {
    fixture::Load(R"({"routes": {"www.quodosoft.nl/versions.dat": [{"body_size": 100, "stall_after": 0, "stall_ms": 20000}]}})");
    const auto before = FetchUrlToFile(web(), quotes::VersionListProfile());
    EXPECT_TRUE(before.body.empty());
    EXPECT_EQ(before.attemptsMade, 2) << "an attempt that brought nothing is made once more";
    EXPECT_EQ(ClassifyPage(before), PageOutcome::Failed);

    fixture::Load(R"({"routes": {"www.quodosoft.nl/versions.dat": [{"body_size": 6000, "fill": "s", "pieces": [3000], "stall_after": 3000, "stall_ms": 20000}]}})");
    const auto during = FetchUrlToFile(web(), quotes::VersionListProfile());
    EXPECT_FALSE(during.complete);
    EXPECT_FALSE(during.body.empty());
    EXPECT_LE(during.body.size(), 3000u);
    EXPECT_EQ(during.body.find_first_not_of('s'), std::string::npos);
    EXPECT_EQ(during.attemptsMade, 1) << "a body that has begun is not asked for again";
}

}  // namespace
