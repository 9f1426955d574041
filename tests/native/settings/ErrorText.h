// The message of the std::runtime_error an action raises, or "" when it raises none.
#pragma once

#include <stdexcept>
#include <string>

template <typename Action>
std::string ErrorText(Action action) {
    try {
        action();
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "";
}
