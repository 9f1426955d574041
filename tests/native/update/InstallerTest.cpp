#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "fakes/FakeSystem.h"
#include "fakes/FakeWeb.h"
#include "native/NativeCrypto.h"
#include "update/Digests.h"
#include "update/Installer.h"

namespace {

using fakes::FakeWeb;
using update::DownloadVerdict;
using update::InstallerDisplayName;

const std::string kDataFolder = "C:\\Users\\user\\UserData\\Quodo\\";
const std::string kTemp = kDataFolder + "Temp\\";

TEST(InstallerNames, FolderPathOldNameAndAddress) {
    EXPECT_EQ(update::InstallerFolder(kDataFolder), kTemp);
    EXPECT_EQ(update::InstallerPath(kDataFolder, "Quodo107.exe"), kTemp + "Quodo107.exe");
    EXPECT_EQ(update::OldInstallerName("Quodo", "versie 1.06"), "Quodo1.06.exe");
    EXPECT_EQ(update::DownloadBaseUrl(), "https://www.quodosoft.nl/");
}

TEST(InstallerNames, DeletionsOnlyInsideTheDataFoldersTemp) {
    EXPECT_EQ(update::InstallersToDelete(kDataFolder, "Quodo", "versie 1.06", "Quodo107.exe"),
              (std::vector<std::string>{kTemp + "Quodo1.06.exe", kTemp + "Quodo107.exe"}));
    EXPECT_EQ(update::InstallersToDelete(kDataFolder, "Quodo", "versie 1.06", "..\\..\\Quodo.exe"),
              (std::vector<std::string>{kTemp + "Quodo1.06.exe"}));
    EXPECT_EQ(update::InstallersToDelete(kDataFolder, "Quodo", "versie 1.06", "C:\\Windows\\x.exe"),
              (std::vector<std::string>{kTemp + "Quodo1.06.exe"}));
}

TEST(InstallerNames, DisplayName) {
    EXPECT_EQ(InstallerDisplayName("Quodo107.exe"), "Quodo");
    EXPECT_EQ(InstallerDisplayName("quodo107.exe"), "Quodo");
    EXPECT_EQ(InstallerDisplayName("zvtool12.exe"), "zvTOOL");
    EXPECT_EQ(InstallerDisplayName("Zvtool12.exe"), "zvTOOL");
    EXPECT_EQ(InstallerDisplayName("zv.exe"), "zv");
    EXPECT_EQ(InstallerDisplayName("Qu0d0-setup.1.07.exe"), "Qud-setup");
    EXPECT_EQ(InstallerDisplayName("107.exe"), "107.exe") << "nothing but digits: the name itself";
}

TEST(DownloadCheck, KilobytesRoundUpAndTheHashField) {
    EXPECT_EQ(update::ListedKilobytes(0), 0u);
    EXPECT_EQ(update::ListedKilobytes(1), 1u);
    EXPECT_EQ(update::ListedKilobytes(1024), 1u);
    EXPECT_EQ(update::ListedKilobytes(1025), 2u);
    EXPECT_EQ(update::ListedKilobytes(4796), 5u);
    EXPECT_TRUE(update::IsSha256Text(std::string(64, 'a')));
    EXPECT_TRUE(update::IsSha256Text(std::string(32, 'F') + std::string(32, '9')));
    EXPECT_FALSE(update::IsSha256Text(std::string(63, 'a')));
    EXPECT_FALSE(update::IsSha256Text(std::string(65, 'a')));
    EXPECT_FALSE(update::IsSha256Text(std::string(63, 'a') + "g"));
    EXPECT_FALSE(update::IsSha256Text(std::string(63, 'a') + " "));
}

// An installer's bytes: "MZ" and a pattern.
std::string InstallerBytes(size_t size) {
    std::string bytes = "MZ";
    for (size_t i = 2; i < size; ++i) bytes += static_cast<char>(i * 31 % 251);
    return bytes;
}

// The fake file system and the fake web's files as one disk: deleting a file the web wrote removes it.
struct Disk : fakes::FakeFileSystem {
    FakeWeb* web = nullptr;
    std::vector<std::string> deleted;
    bool DeleteFile(const std::string& path) override {
        deleted.push_back(path);
        web->files.erase(path);
        return FakeFileSystem::DeleteFile(path);
    }
    bool MoveFile(const std::string& from, const std::string& to) override {
        if (!web->files.count(from)) return false;
        web->files[to] = web->files.at(from);
        web->files.erase(from);
        return true;
    }
    std::vector<std::string> FileNamesIn(const std::string& folder) override {
        std::vector<std::string> names;
        for (const auto& [path, content] : web->files)
            if (path.compare(0, folder.size(), folder) == 0) names.push_back(path.substr(folder.size()));
        return names;
    }
    // The files in the installer folder besides the installers themselves: a download's own file.
    size_t PartialFiles() const {
        size_t n = 0;
        for (const auto& [path, content] : web->files) n += path.find(".part") != std::string::npos;
        return n;
    }
};

class DownloadInstaller : public ::testing::Test {
protected:
    FakeWeb web;
    Disk disk;
    native::OpenSslCrypto crypto;
    update::InstallerRequest request;
    std::vector<uint32_t> progress;
    const std::string url = "https://www.quodosoft.nl/Quodo107.exe";
    const std::string path = kTemp + "Quodo107.exe";

    void SetUp() override {
        disk.web = &web;
        disk.AddFolder(kDataFolder);
        request.dataFolder = kDataFolder;
        request.productName = "Quodo";
        request.versionText = "versie 1.06";
        request.downloadName = "Quodo107.exe";
    }
    void TearDown() override { EXPECT_EQ(web.OpenHandles(), 0u); }
    // The list announces these bytes: their size in kilobytes and their hash.
    void Announce(const std::string& bytes) {
        request.listedKB = static_cast<int64_t>(update::ListedKilobytes(bytes.size()));
        request.hashField = Sha256Hex(bytes);
    }
    std::string Sha256Hex(const std::string& bytes) { return update::HexText(update::HashOf(crypto, bytes).value()); }
    update::DownloadReport Download() {
        return update::DownloadInstaller(web, disk, crypto, request, [this](uint32_t kb) { progress.push_back(kb); });
    }
};

TEST_F(DownloadInstaller, ASoundDownloadStaysInTempWithItsProgress) {
    const std::string bytes = InstallerBytes(2048 + 2048 + 700);
    Announce(bytes);
    web.Script(url, {FakeWeb::Chunks({bytes.substr(0, 2048), bytes.substr(2048, 2048), bytes.substr(4096)})});
    const auto report = Download();
    EXPECT_EQ(report.verdict, DownloadVerdict::Sound);
    EXPECT_EQ(report.kilobytes, 4u);
    EXPECT_EQ(progress, (std::vector<uint32_t>{2, 4, 4}));
    EXPECT_EQ(web.files.at(path), bytes);
    EXPECT_TRUE(disk.DirectoryExists(kTemp));
    EXPECT_EQ(disk.deleted, (std::vector<std::string>{kTemp + "Quodo1.06.exe", path}))
        << "only inside Temp, never in the current directory";
    ASSERT_EQ(web.CallsOf("OpenUrl").size(), 1u);
    EXPECT_EQ(web.CallsOf("OpenUrl")[0].flags, 0x84000000u);  // fresh, and no copy in the cache
    EXPECT_TRUE(web.CallsOf("OpenUrl")[0].headersNull);
}

TEST_F(DownloadInstaller, AnEarlierDownloadIsDeletedFirst) {
    disk.AddFolder(kTemp);
    web.files[path] = "an earlier, larger installer of the same name";
    web.files[kTemp + "Quodo1.06.exe"] = "the installer of the running version";
    const std::string bytes = InstallerBytes(5000);
    Announce(bytes);
    web.Script(url, {FakeWeb::Body(bytes)});
    EXPECT_EQ(Download().verdict, DownloadVerdict::Sound);
    EXPECT_EQ(web.files.at(path), bytes);
    EXPECT_EQ(web.files.count(kTemp + "Quodo1.06.exe"), 0u);
}

TEST_F(DownloadInstaller, EveryFailedCheckDeletesTheFile) {
    const std::string bytes = InstallerBytes(6000);
    std::string wrongStart = bytes;
    wrongStart[0] = '<';
    std::string otherHash = Sha256Hex(bytes);
    otherHash[10] = otherHash[10] == '0' ? '1' : '0';
    struct Case {
        const char* what;
        FakeWeb::Attempt attempt;
        DownloadVerdict verdict;
        long long diskRoom;
        int64_t listedKB;
        std::string hash;
    };
    const auto make = [](const char* what, FakeWeb::Attempt attempt, DownloadVerdict verdict, long long diskRoom = -1,
                         int64_t listedKB = 6, std::string hash = std::string()) {
        return Case{what, std::move(attempt), verdict, diskRoom, listedKB, std::move(hash)};
    };
    const Case cases[] = {
        make("a 404 page", FakeWeb::Answer(404, bytes), DownloadVerdict::BadStatus),
        make("no status", FakeWeb::Answer(0, bytes), DownloadVerdict::BadStatus),
        make("a full disk", FakeWeb::Body(bytes), DownloadVerdict::WriteFailed, 3000),
        make("a cut download", FakeWeb::CutAfter({bytes.substr(0, 4096)}), DownloadVerdict::Incomplete),
        make("one kilobyte", FakeWeb::Body(bytes.substr(0, 1500)), DownloadVerdict::TooSmall, -1, 2),
        make("a shorter file", FakeWeb::Body(bytes.substr(0, 4096)), DownloadVerdict::SizeMismatch),
        make("a larger listed size", FakeWeb::Body(bytes), DownloadVerdict::SizeMismatch, -1, 7),
        make("a negative listed size", FakeWeb::Body(bytes), DownloadVerdict::Incomplete, -1, -6),  // cut at once
        make("an early clean close", FakeWeb::Body(bytes.substr(0, 5500)), DownloadVerdict::HashMismatch),
        make("another hash", FakeWeb::Body(bytes), DownloadVerdict::HashMismatch, -1, 6, otherHash),
        make("no program", FakeWeb::Body(wrongStart), DownloadVerdict::NotAnExe, -1, 6, Sha256Hex(wrongStart)),
        make("no answer", FakeWeb::Refused(), DownloadVerdict::NotOpened),
    };
    for (const Case& c : cases) {
        Announce(bytes);
        request.listedKB = c.listedKB;
        if (!c.hash.empty()) request.hashField = c.hash;
        web.diskRoom = c.diskRoom;
        web.Script(url, {c.attempt});
        EXPECT_EQ(Download().verdict, c.verdict) << c.what;
        EXPECT_EQ(web.files.count(path), 0u) << c.what;
        EXPECT_EQ(disk.PartialFiles(), 0u) << c.what;
    }
    // An error on the way (the connection breaks inside the library) passes on, and leaves nothing.
    web.Script(url, {FakeWeb::Body(bytes)});
    web.onRead = [] { throw std::runtime_error("the connection broke"); };
    EXPECT_THROW(Download(), std::runtime_error);
    EXPECT_EQ(web.files.size(), 0u);
}

// A download given up on while its connection hangs still holds its own file; a new download writes
// one of its own and becomes the installer, and the old one, once it ends, leaves nothing behind.
TEST_F(DownloadInstaller, ANewDownloadWhileAnAbandonedOneStillHoldsItsFile) {
    const std::string bytes = InstallerBytes(5000);
    Announce(bytes);
    web.Script(url, {FakeWeb::StallAfter({bytes.substr(0, 2048)}), FakeWeb::Body(bytes)});
    platform::StopSignal stop;
    std::thread abandoned([&] { update::DownloadInstaller(web, disk, crypto, request, {}, &stop); });
    while (web.Stalled() == 0) std::this_thread::yield();  // the first chunk is written, the rest awaited
    EXPECT_EQ(Download().verdict, DownloadVerdict::Sound);
    EXPECT_EQ(disk.PartialFiles(), 1u) << "the abandoned download's own file is not swept from under it";
    stop.Stop();  // the hang ends at last
    abandoned.join();
    EXPECT_EQ(web.files.at(path), bytes);
    EXPECT_EQ(disk.PartialFiles(), 0u);
}

// A download cut off with the program (killed, or the computer switched off) leaves its own file,
// which the next download of that installer sweeps; files of other names stay.
TEST_F(DownloadInstaller, WhatADownloadCutOffWithTheProgramLeftIsSweptFirst) {
    std::set<std::string> others = {"Quodo108.exe.1.part", "Quodo107.exe.part", "Quodo107.exe.1x.part", "x.part"};
    for (const std::string& name : others) web.files[kTemp + name] = "not ours";
    web.files[kTemp + "Quodo107.exe.1.part"] = web.files[kTemp + "Quodo107.exe.23.part"] = "cut off";
    const std::string bytes = InstallerBytes(5000);
    Announce(bytes);
    web.Script(url, {FakeWeb::Body(bytes)});
    EXPECT_EQ(Download().verdict, DownloadVerdict::Sound);
    others.insert("Quodo107.exe");
    const std::vector<std::string> left = disk.FileNamesIn(kTemp);
    EXPECT_EQ(std::set<std::string>(left.begin(), left.end()), others);
}

TEST_F(DownloadInstaller, TheHashInEitherCaseAndNoSoundDownloadWithoutOne) {
    const std::string bytes = InstallerBytes(3000);
    std::string upper = Sha256Hex(bytes);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    Announce(bytes);
    request.hashField = upper;
    web.Script(url, {FakeWeb::Body(bytes)});
    EXPECT_EQ(Download().verdict, DownloadVerdict::Sound);
    for (const std::string& field : {std::string(), std::string("-"), upper.substr(1), upper + "0"}) {
        request.hashField = field;
        web.Script(url, {FakeWeb::Body(bytes)});
        EXPECT_EQ(Download().verdict, DownloadVerdict::HashMismatch) << field;
        EXPECT_EQ(web.files.count(path), 0u) << field;
    }
}

TEST_F(DownloadInstaller, ABadNameFetchesAndDeletesNothing) {
    request.downloadName = "..\\..\\Windows\\explorer.exe";
    EXPECT_EQ(Download().verdict, DownloadVerdict::BadName);
    EXPECT_TRUE(web.calls.empty());
    EXPECT_TRUE(disk.deleted.empty());
}

TEST_F(DownloadInstaller, AFolderOrFileThatCannotBeCreatedRaisesAnError) {
    const std::string temp = kTemp.substr(0, kTemp.size() - 1);
    disk.refusedFolders.insert(temp);
    try {
        Download();
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to create directory \"" + temp + "\".");
    }
    EXPECT_TRUE(web.calls.empty()) << "nothing fetched";

    disk.refusedFolders.clear();
    web.filesCreatable = false;
    try {
        Download();
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot create file \"" + path + "\".");
    }
    EXPECT_TRUE(web.CallsOf("OpenUrl").empty()) << "nothing fetched";
}

TEST_F(DownloadInstaller, MissingParentFoldersAreCreated) {
    disk.folders.clear();
    const std::string bytes = InstallerBytes(5000);
    Announce(bytes);
    web.Script(url, {FakeWeb::Body(bytes)});
    EXPECT_EQ(Download().verdict, DownloadVerdict::Sound);
    EXPECT_EQ(disk.createdFolders,
              (std::vector<std::string>{"C:\\Users", "C:\\Users\\user", "C:\\Users\\user\\UserData",
                                        "C:\\Users\\user\\UserData\\Quodo", kTemp.substr(0, kTemp.size() - 1)}));
}

}  // namespace
