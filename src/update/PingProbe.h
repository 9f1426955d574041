// The reachability probe of the update server: one echo request by the system's ping command,
// its output redirected into a file in the data folder, the reply time read from its third line.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace update {

constexpr int kPingNotRun = -1;  // the command interpreter could not be started
constexpr int kPingFailed = -2;  // a time-out line, no readable output, or a ping that had to be ended
constexpr uint32_t kPingWaitMs = 10000;
constexpr const char* kPingOutputName = "Ping.txt";

// comspec /C ""<system folder>\ping.exe" host -n 1 -w 100 > "<output>"". With /C, cmd.exe strips
// the first and the last quote of a command that starts with a quote, so the command gets one
// more pair around it and its own quotes survive.
std::string PingCommandLine(const std::string& comspec, const std::string& systemFolder, const std::string& host,
                            const std::string& outputPath);

// The third line of the output (lines end at CR LF, LF or CR); empty when there are fewer lines.
std::string ThirdLine(const std::string& output);

// The reply time in milliseconds from the third line of the ping's output: kPingFailed when it
// holds "Time-out" (Dutch "Time-out bij aanvraag."); otherwise the digits between the last "="
// before the first "ms" and that "ms" ("tijd=12ms" gives 12), and 0 when there are none
// ("tijd<1ms", the English "Request timed out.", an empty line).
int ParsePingReply(const std::string& thirdLine);

// Runs the probe against hosts::kMakerDomain: the reply time, 0 when none could be read, or a
// negative value when the probe failed. The output file (dataFolder + kPingOutputName) is deleted
// before and after. Blocks for the life of the ping command, at most kPingWaitMs.
int PingUpdateServer(const platform::Services& services, const std::string& dataFolder);

}  // namespace update
