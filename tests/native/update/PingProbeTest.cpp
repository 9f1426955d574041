#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "fakes/FakeSystem.h"
#include "update/PingProbe.h"

namespace {

using update::kPingFailed;
using update::kPingNotRun;
using update::ParsePingReply;
using update::PingCommandLine;
using update::ThirdLine;

// The layouts of the Windows ping command the probe reads (CR LF line ends, an empty first line).
const char* const kDutchReply =
    "\r\nPingen naar quodosoft.nl [203.0.113.7] met 32 bytes aan gegevens:\r\n"
    "Antwoord van 203.0.113.7: bytes=32 tijd=12ms TTL=57\r\n\r\nPingstatistieken voor 203.0.113.7:\r\n";
const char* const kDutchFastReply =
    "\r\nPingen naar quodosoft.nl [203.0.113.7] met 32 bytes aan gegevens:\r\n"
    "Antwoord van 203.0.113.7: bytes=32 tijd<1ms TTL=57\r\n";
const char* const kDutchTimeOut =
    "\r\nPingen naar quodosoft.nl [203.0.113.7] met 32 bytes aan gegevens:\r\nTime-out bij aanvraag.\r\n";
const char* const kEnglishReply =
    "\r\nPinging quodosoft.nl [203.0.113.7] with 32 bytes of data:\r\n"
    "Reply from 203.0.113.7: bytes=32 time=345ms TTL=57\r\n";
const char* const kEnglishTimeOut =
    "\r\nPinging quodosoft.nl [203.0.113.7] with 32 bytes of data:\r\nRequest timed out.\r\n";
const char* const kUnknownHost =
    "Ping request could not find host quodosoft.nl. Please check the name and try again.\r\n";

TEST(PingReply, EachOutputLayout) {
    EXPECT_EQ(ParsePingReply(ThirdLine(kDutchReply)), 12);
    EXPECT_EQ(ParsePingReply(ThirdLine(kDutchFastReply)), 0);
    EXPECT_EQ(ParsePingReply(ThirdLine(kDutchTimeOut)), kPingFailed);
    EXPECT_EQ(ParsePingReply(ThirdLine(kEnglishReply)), 345);
    EXPECT_EQ(ParsePingReply(ThirdLine(kEnglishTimeOut)), 0) << "only the Dutch time-out line counts as one";
    EXPECT_EQ(ParsePingReply(ThirdLine(kUnknownHost)), 0);
    EXPECT_EQ(ParsePingReply(ThirdLine("")), 0);
}

TEST(PingReply, TheNumberBetweenTheLastEqualsSignAndMs) {
    EXPECT_EQ(ParsePingReply("a=1 b=7ms"), 7);
    EXPECT_EQ(ParsePingReply("tijd=12ms TTL=57 x=3ms"), 12) << "the first ms counts";
    EXPECT_EQ(ParsePingReply("ms=12"), 0) << "ms first: nothing before it";
    EXPECT_EQ(ParsePingReply("tijd=1 2ms"), 0);
    EXPECT_EQ(ParsePingReply("tijd=-5ms"), 0) << "never a negative time that would read as a failure";
    EXPECT_EQ(ParsePingReply("tijd=99999999999ms"), 0);
    EXPECT_EQ(ParsePingReply("time-out"), 0) << "the time-out text is compared case-sensitively";
}

TEST(PingReply, ThirdLineOfEachLineEnd) {
    EXPECT_EQ(ThirdLine("a\nb\nc"), "c");
    EXPECT_EQ(ThirdLine("a\r\n\r\nc\r\n"), "c");
    EXPECT_EQ(ThirdLine("a\r\nb"), "");
}

TEST(PingCommand, EveryPathQuotedAndTheWholeCommandWrappedOnceMore) {
    EXPECT_EQ(PingCommandLine("C:\\Windows\\system32\\cmd.exe", "C:\\Windows\\system32", "quodosoft.nl",
                              "C:\\Users\\An de Vries\\UserData\\Quodo\\Ping.txt"),
              "\"C:\\Windows\\system32\\cmd.exe\" /C \"\"C:\\Windows\\system32\\ping.exe\" quodosoft.nl -n 1 -w 100 > "
              "\"C:\\Users\\An de Vries\\UserData\\Quodo\\Ping.txt\"\"");
}

// Runs "processes" by a script: records each command line and lets the test write the output file.
struct ScriptedProcesses : platform::Processes {
    std::vector<std::string> commandLines;
    std::vector<bool> hiddenFlags;
    std::vector<uint32_t> timeouts;
    std::function<int(const std::string&)> run = [](const std::string&) { return 0; };

    int RunAndWait(const std::string& commandLine, bool hidden, uint32_t timeoutMs) override {
        commandLines.push_back(commandLine);
        hiddenFlags.push_back(hidden);
        timeouts.push_back(timeoutMs);
        return run(commandLine);
    }
    bool IsNtPlatform() override { return true; }
    uint32_t CurrentProcessId() override { return 1; }
    std::vector<platform::ProcessEntry> ListByPath() override { return {}; }
    std::vector<platform::ProcessEntry> ListByExeName() override { return {}; }
    bool Terminate(uint32_t, uint32_t) override { return false; }
};

class PingUpdateServer : public ::testing::Test {
protected:
    fakes::FakeSystem sys;
    ScriptedProcesses processes;
    platform::Services services;
    const std::string dataFolder = "C:\\Users\\user\\UserData\\Quodo\\";
    const std::string outputPath = dataFolder + "Ping.txt";

    void SetUp() override {
        sys.system.environment["COMSPEC"] = "C:\\WINDOWS\\system32\\cmd.exe";
        sys.system.systemFolder = "D:\\WinNT\\system32";
        sys.files.AddFolder(dataFolder);
        services.system = &sys.system;
        services.files = &sys.files;
        services.processes = &processes;
    }
    // The ping writes this output into its file.
    void PingPrints(const std::string& output, int exitCode = 0) {
        processes.run = [this, output, exitCode](const std::string&) {
            sys.files.AddFile(outputPath, output, 0);
            return exitCode;
        };
    }
    int Probe() { return update::PingUpdateServer(services, dataFolder); }
};

TEST_F(PingUpdateServer, RunsTheSystemsPingHiddenAndBoundedIntoTheDataFolder) {
    PingPrints(kDutchReply, 0);
    EXPECT_EQ(Probe(), 12);
    ASSERT_EQ(processes.commandLines.size(), 1u);
    EXPECT_EQ(processes.commandLines[0],
              PingCommandLine("C:\\WINDOWS\\system32\\cmd.exe", "D:\\WinNT\\system32", "quodosoft.nl", outputPath));
    EXPECT_TRUE(processes.hiddenFlags[0]);
    EXPECT_EQ(processes.timeouts[0], 10000u);
    EXPECT_FALSE(sys.files.FileExists(outputPath)) << "the output file is deleted";
}

TEST_F(PingUpdateServer, ReadsTheReplyTimeOfEachLayoutWhateverTheExitCode) {
    const std::pair<const char*, int> cases[] = {{kDutchFastReply, 0},
                                                 {kDutchTimeOut, kPingFailed},
                                                 {kEnglishTimeOut, 0},
                                                 {kUnknownHost, 0},
                                                 {kEnglishReply, 345}};
    for (const auto& [output, expected] : cases) {
        PingPrints(output, 1);
        EXPECT_EQ(Probe(), expected) << output;
        EXPECT_FALSE(sys.files.FileExists(outputPath));
    }
}

TEST_F(PingUpdateServer, AnOldOutputFileIsNotTakenForTheAnswer) {
    sys.files.AddFile(outputPath, kDutchReply, 0);
    processes.run = [](const std::string&) { return 0; };  // the command writes nothing
    EXPECT_EQ(Probe(), kPingFailed);
    EXPECT_FALSE(sys.files.FileExists(outputPath));
}

TEST_F(PingUpdateServer, Failures) {
    processes.run = [](const std::string&) { return -1; };
    EXPECT_EQ(Probe(), kPingNotRun) << "the interpreter could not be started";

    processes.run = [](const std::string&) -> int { throw std::runtime_error("no processes"); };
    EXPECT_EQ(Probe(), kPingNotRun);

    processes.run = [this](const std::string&) {
        sys.files.AddFile(outputPath, kDutchReply, 0);
        return platform::kRunTimedOut;
    };
    EXPECT_EQ(Probe(), kPingFailed) << "a ping that had to be ended";
    EXPECT_FALSE(sys.files.FileExists(outputPath));

    sys.files.unwritableFiles.insert(outputPath);  // e.g. a read-only folder: nothing is written
    processes.run = [](const std::string&) { return 0; };
    EXPECT_EQ(Probe(), kPingFailed) << "no readable output";
    sys.files.unwritableFiles.clear();

    const size_t runs = processes.commandLines.size();
    sys.system.environment.erase("COMSPEC");
    EXPECT_EQ(Probe(), kPingNotRun);
    EXPECT_EQ(processes.commandLines.size(), runs) << "nothing runs without a command interpreter";
}

}  // namespace
