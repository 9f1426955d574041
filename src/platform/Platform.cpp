#include "platform/Platform.h"

#include <chrono>
#include <thread>

namespace platform {
namespace {
Services g_services;
}

void Clock::Sleep(unsigned milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

Services& Current() { return g_services; }
void Install(const Services& services) { g_services = services; }

}  // namespace platform
