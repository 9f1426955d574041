#include "platform/Platform.h"

#include <chrono>
#include <thread>

namespace platform {
namespace {
Services g_services;
}

void Clock::Sleep(unsigned milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

std::optional<std::string> FileSystem::ReadFileUpTo(const std::string& path, uint64_t maxBytes) {
    std::optional<std::string> content = ReadFile(path);
    if (content && content->size() > maxBytes) return std::nullopt;
    return content;
}

// A web without header access (a recording stand-in) reports none.
std::string Web::HeaderValue(Handle, const std::string&) { return std::string(); }

Services& Current() { return g_services; }
void Install(const Services& services) { g_services = services; }

}  // namespace platform
