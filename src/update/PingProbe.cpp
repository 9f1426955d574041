#include "update/PingProbe.h"

#include <exception>

#include "platform/Wait.h"
#include "quotes/Hosts.h"
#include "support/Support.h"

namespace update {
namespace {

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

bool AllDigits(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// Reply times are small; anything that does not fit counts as no time read.
int DigitsValue(const std::string& digits) {
    if (!AllDigits(digits) || digits.size() > 9) return 0;
    return std::stoi(digits);
}

}  // namespace

std::string PingCommandLine(const std::string& systemFolder, const std::string& host) {
    return Quoted(systemFolder + "\\ping.exe") + " " + host + " -n 1 -w 100";
}

std::string ThirdLine(const std::string& output) {
    size_t start = 0;
    for (int line = 0; line < 2; ++line) {
        const size_t end = output.find_first_of("\r\n", start);
        if (end == std::string::npos) return std::string();
        start = end + (output.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return output.substr(start, output.find_first_of("\r\n", start) - start);
}

int ParsePingReply(const std::string& thirdLine) {
    if (thirdLine.find("Time-out") != std::string::npos) return kPingFailed;
    return DigitsValue(support::TextAfterLastChar('=', support::TextBefore("ms", thirdLine)));
}

platform::Task<int> PingUpdateServer(platform::Services& services, std::string dataFolder) {
    const std::string systemFolder = services.system->SystemFolder();
    if (systemFolder.empty()) co_return kPingNotRun;
    const std::string output = dataFolder + kPingOutputName;
    platform::FileSystem& files = *services.files;
    files.DeleteFile(output);  // an old file must not pass for this ping's answer
    int exitCode = 0;
    // A ping that has not come back by its bound (and a second) counts as one that had to be ended.
    auto ping = platform::OnWorker(
        [processes = services.processes, command = PingCommandLine(systemFolder, hosts::kMakerDomain),
         output](platform::Job&) { return processes->RunAndWait(command, true, kPingWaitMs, output); },
        platform::WaitOptions::Within(kPingWaitMs + 1000));
    try {
        exitCode = co_await ping;
    } catch (const platform::DeadlinePassed&) {
        exitCode = platform::kRunTimedOut;
    } catch (const platform::Cancelled&) {
        throw;  // the program ends: no outcome at all
    } catch (const std::exception&) {
        exitCode = -1;
    }
    if (exitCode == -1) co_return kPingNotRun;
    const std::optional<std::string> text = exitCode == platform::kRunTimedOut ? std::nullopt : files.ReadFile(output);
    files.DeleteFile(output);
    if (!text) co_return kPingFailed;
    co_return ParsePingReply(ThirdLine(*text));
}

}  // namespace update
