// A recording platform::Shell for native tests: every Open is recorded and answered with result.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace fakes {

class FakeShell : public platform::Shell {
public:
    struct Call {
        std::string verb, file, parameters;
        const void* owner;
    };

    intptr_t result = 42;  // above 32: opened
    std::vector<Call> calls;
    std::function<void(const Call&)> onOpen;  // runs as the shell opens, before it answers

    intptr_t Open(const std::string& verb, const std::string& file, const std::string& parameters,
                  const void* owner) override {
        calls.push_back({verb, file, parameters, owner});
        if (onOpen) onOpen(calls.back());
        return result;
    }

    void Install() { platform::Current().shell = this; }
};

}  // namespace fakes
