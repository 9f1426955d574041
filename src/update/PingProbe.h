// The reachability probe of the update server: one echo request by the system's ping command,
// its output redirected into a file in the data folder, the reply time read from its third line.
// The output goes into the file without a command interpreter: one would expand what stands
// between two "%" in the file's path (a data folder below "%TEMP%", say).
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"
#include "platform/Task.h"

namespace update {

constexpr int kPingNotRun = -1;  // the ping could not be started
constexpr int kPingFailed = -2;  // a time-out line, no readable output, or a ping that had to be ended
constexpr uint32_t kPingWaitMs = 10000;
constexpr const char* kPingOutputName = "Ping.txt";

// "<system folder>\ping.exe" host -n 1 -w 100
std::string PingCommandLine(const std::string& systemFolder, const std::string& host);

// The third line of the output (lines end at CR LF, LF or CR); empty when there are fewer lines.
std::string ThirdLine(const std::string& output);

// The reply time in milliseconds from the third line of the ping's output: kPingFailed when it
// holds "Time-out" (Dutch "Time-out bij aanvraag."); otherwise the digits between the last "="
// before the first "ms" and that "ms" ("tijd=12ms" gives 12), and 0 when there are none
// ("tijd<1ms", the English "Request timed out.", an empty line).
int ParsePingReply(const std::string& thirdLine);

// Runs the probe against hosts::kMakerDomain: the reply time, 0 when none could be read, or a
// negative value when the probe failed. The output file (dataFolder + kPingOutputName) is deleted
// before and after. The ping runs on a thread of its own while the operation waits, at most
// kPingWaitMs; whatever it started is ended with it.
platform::Task<int> PingUpdateServer(platform::Services& services, std::string dataFolder);

}  // namespace update
