#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "fakes/FakeProcesses.h"
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

TEST(PingCommand, TheSystemsPingQuotedOneEchoRequestWaitingAtMost100Ms) {
    EXPECT_EQ(PingCommandLine("C:\\Program Files\\system32", "quodosoft.nl"),
              "\"C:\\Program Files\\system32\\ping.exe\" quodosoft.nl -n 1 -w 100");
}

class PingUpdateServer : public ::testing::Test {
protected:
    fakes::FakeSystem sys;
    fakes::FakeProcesses processes;
    platform::Services services;
    // A folder a command interpreter would expand.
    const std::string dataFolder = "C:\\Users\\user\\UserData\\%TEMP%\\Quodo 100%\\";
    const std::string outputPath = dataFolder + "Ping.txt";

    void SetUp() override {
        sys.system.systemFolder = "D:\\WinNT\\system32";
        sys.files.AddFolder(dataFolder);
        services.system = &sys.system;
        services.files = &sys.files;
        services.processes = &processes;
    }
    // The ping writes this output into the file the command names.
    void PingPrints(const std::string& output, int exitCode = 0) {
        processes.onRun = [this, output, exitCode](const fakes::FakeProcesses::Run& run) {
            sys.files.AddFile(run.outputPath, output, 0);
            return exitCode;
        };
    }
    void RunReturns(int exitCode) {
        processes.onRun = [exitCode](const fakes::FakeProcesses::Run&) { return exitCode; };
    }
    int Probe() { return platform::RunSync(update::PingUpdateServer(services, dataFolder)); }
};

TEST_F(PingUpdateServer, RunsTheSystemsPingHiddenAndBoundedIntoTheDataFolder) {
    PingPrints(kDutchReply, 0);
    EXPECT_EQ(Probe(), 12);
    ASSERT_EQ(processes.runs.size(), 1u);
    const fakes::FakeProcesses::Run& run = processes.runs[0];
    EXPECT_EQ(run.commandLine, PingCommandLine("D:\\WinNT\\system32", "quodosoft.nl"));
    EXPECT_EQ(run.outputPath, outputPath) << "the path as it is, for no interpreter to read";
    EXPECT_TRUE(run.hidden);
    EXPECT_EQ(run.timeoutMs, 10000u);
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
    RunReturns(0);  // the command writes nothing
    EXPECT_EQ(Probe(), kPingFailed);
    EXPECT_FALSE(sys.files.FileExists(outputPath));
}

TEST_F(PingUpdateServer, Failures) {
    RunReturns(-1);
    EXPECT_EQ(Probe(), kPingNotRun) << "the ping could not be started";

    processes.onRun = [](const fakes::FakeProcesses::Run&) -> int { throw std::runtime_error("no processes"); };
    EXPECT_EQ(Probe(), kPingNotRun);

    processes.onRun = [this](const fakes::FakeProcesses::Run&) {
        sys.files.AddFile(outputPath, kDutchReply, 0);
        return platform::kRunTimedOut;
    };
    EXPECT_EQ(Probe(), kPingFailed) << "a ping that had to be ended";
    EXPECT_FALSE(sys.files.FileExists(outputPath));

    RunReturns(platform::kRunNoOutputFile);  // e.g. a read-only folder: nothing ran
    EXPECT_EQ(Probe(), kPingFailed) << "no readable output";

    const size_t runs = processes.runs.size();
    sys.system.systemFolder.clear();
    EXPECT_EQ(Probe(), kPingNotRun);
    EXPECT_EQ(processes.runs.size(), runs) << "nothing runs without the system folder";
}

}  // namespace
