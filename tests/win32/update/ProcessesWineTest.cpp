// The Win32 process service under Wine: RunAndWait's exit codes, command lines of any length, a
// missing program, the bound on the wait that ends the whole tree of processes, the probe's ping
// with its output into a file whose path holds blanks and "%", and a held installer that is started.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

#include "StandIns.h"
#include "platform/Platform.h"
#include "quotes/Hosts.h"
#include "update/PingProbe.h"
#include "win32/Win32Processes.h"
#include "win32/Win32System.h"

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

class ProcessesWine : public ::testing::Test {
protected:
    void SetUp() override {
        win32::InstallSystemServices();
        win32::InstallProcesses();
        folder = standins::FreshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        sched = standins::Install(QUODO_SCHED_STANDIN, folder, "Quodo_Sched.exe");
    }
    void TearDown() override {
        standins::RemoveTree(folder);
        platform::Install(saved);
    }
    int Run(const std::string& commandLine, uint32_t timeoutMs = 10000, const std::string& outputPath = "") {
        return platform::Current().processes->RunAndWait(commandLine, true, timeoutMs, outputPath);
    }
    bool Listed(const std::string& path) {
        for (const platform::ProcessEntry& entry : platform::Current().processes->ListByPath())
            if (_stricmp(entry.image.c_str(), path.c_str()) == 0) return true;
        return false;
    }
    std::string Comspec() { return platform::Current().system->Environment("COMSPEC"); }

    platform::Services saved = platform::Current();
    std::string folder, sched;
};

TEST_F(ProcessesWine, ExitCodesCommandLinesOfAnyLengthAndMissingPrograms) {
    EXPECT_EQ(Run(Quoted(sched) + " /exit 7"), 7);
    EXPECT_EQ(platform::Current().processes->RunAndWait(Quoted(sched) + " /exit 0", false, 10000, ""), 0);
    EXPECT_EQ(Run(Comspec() + " /C exit 3"), 3);
    // The stand-in's exit code is the length of its arguments.
    const std::string arguments = "/length " + std::string(3000, 'x');
    EXPECT_EQ(Run(Quoted(sched) + " " + arguments), static_cast<int>(arguments.size()));
    EXPECT_EQ(Run(Quoted(folder + "\\none.exe")), -1);
    EXPECT_EQ(Run(""), -1);
}

TEST_F(ProcessesWine, AtTheBoundTheProgramIsEndedWithEverythingItStarted) {
    const std::string pingFolder = folder + "\\stand in";
    const std::string ping = standins::Install(QUODO_PING_STANDIN, pingFolder, "ping.exe");
    const std::string output = folder + "\\ping.txt";
    SetEnvironmentVariableA("QUODO_PING_LAYOUT", "hang");
    const auto start = std::chrono::steady_clock::now();
    // A command interpreter that runs the ping: both are ended.
    const std::string command = Comspec() + " /C \"" + Quoted(ping) + " x > " + Quoted(output) + "\"";
    EXPECT_EQ(Run(command, 3000), platform::kRunTimedOut);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(2950));
    EXPECT_LT(elapsed, std::chrono::seconds(10));
    EXPECT_NE(standins::ReadAll(output).find("Pingen naar"), std::string::npos) << "the ping ran";
    EXPECT_FALSE(Listed(ping)) << "the ping the command interpreter started still runs";
    SetEnvironmentVariableA("QUODO_PING_LAYOUT", nullptr);
}

TEST_F(ProcessesWine, ThePingWritesItsLayoutIntoTheOutputFileWhateverItsPathHolds) {
    const std::string pingFolder = folder + "\\stand in";
    standins::Install(QUODO_PING_STANDIN, pingFolder, "ping.exe");
    // A folder a command interpreter would expand.
    const std::string dataFolder = folder + "\\%TEMP% 100%";
    CreateDirectoryA(dataFolder.c_str(), nullptr);
    const std::string output = dataFolder + "\\ping uitvoer.txt";
    const std::string host = hosts::kMakerWebHost;
    const std::string dutch = "\r\nPingen naar " + host + " [127.0.0.1] met 32 bytes aan gegevens:\r\n";
    struct Case {
        const char* layout;
        int exitCode;
        std::string start;
    };
    const std::vector<Case> cases = {
        {"nl-reply", 0, dutch + "Antwoord van 127.0.0.1: bytes=32 tijd=12ms TTL=57\r\n\r\n"},
        {"nl-timeout", 1, dutch + "Time-out bij aanvraag.\r\n\r\n"},
        {"en-timeout", 1, "\r\nPinging " + host + " [127.0.0.1] with 32 bytes of data:\r\nRequest timed out.\r\n\r\n"},
        {"en-unknown-host", 1,
         "Ping request could not find host " + host + ". Please check the name and try again.\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.layout);
        SetEnvironmentVariableA("QUODO_PING_LAYOUT", c.layout);
        DeleteFileA(output.c_str());
        EXPECT_EQ(Run(update::PingCommandLine(pingFolder, host), 10000, output), c.exitCode);
        EXPECT_EQ(standins::ReadAll(output).substr(0, c.start.size()), c.start);
    }
    SetEnvironmentVariableA("QUODO_PING_LAYOUT", nullptr);
    EXPECT_EQ(Run(update::PingCommandLine(pingFolder, host), 10000, folder + "\\none\\ping.txt"),
              platform::kRunNoOutputFile);
}

TEST_F(ProcessesWine, AHeldFileCannotBeWrittenOrDeletedButIsReadAndStarted) {
    platform::FileSystem& files = *platform::Current().files;
    {
        const auto held = files.Hold(sched);
        ASSERT_NE(held, nullptr);
        const DWORD anySharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        EXPECT_EQ(CreateFileA(sched.c_str(), GENERIC_WRITE, anySharing, nullptr, OPEN_EXISTING, 0, nullptr),
                  INVALID_HANDLE_VALUE);
        EXPECT_FALSE(files.DeleteFile(sched));
        std::string read;
        char buffer[4096];
        size_t n = 0;
        while (held->Read(buffer, sizeof buffer, &n) && n > 0) read.append(buffer, n);
        EXPECT_EQ(read, files.ReadFile(sched).value());
        EXPECT_EQ(Run(Quoted(sched) + " /exit 5"), 5);
    }
    EXPECT_TRUE(files.DeleteFile(sched)) << "let go with its owner";
}

TEST(Win32ErrorTextTest, TheCodeWithTheSystemsMessageOrThePlainText) {
    EXPECT_EQ(win32::Win32ErrorText(0), "A Win32 API function failed");
    const std::string text = win32::Win32ErrorText(ERROR_FILE_NOT_FOUND);
    const std::string head = "Win32 Error.  Code: 2.\n";
    ASSERT_EQ(text.rfind(head, 0), 0u) << text;
    ASSERT_GT(text.size(), head.size());
    EXPECT_NE(text.back(), '.');  // the message without its full stop and line end
    EXPECT_GT(static_cast<unsigned char>(text.back()), ' ');
}

}  // namespace
