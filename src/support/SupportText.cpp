// Cutting texts at markers and characters, and filtering characters.
#include "support/Support.h"

namespace support {

std::string TextAfter(const std::string& marker, const std::string& text) {
    if (marker.empty()) return {};
    const auto at = text.find(marker);
    return at == std::string::npos ? std::string() : text.substr(at + marker.size());
}

std::string TextAfterChar(char c, const std::string& text) {
    const auto at = text.find(c);
    return at == std::string::npos ? std::string() : text.substr(at + 1);
}

std::string TextAfterLastChar(char c, const std::string& text) {
    const auto at = text.rfind(c);
    return at == std::string::npos ? std::string() : text.substr(at + 1);
}

std::string TextBefore(const std::string& marker, const std::string& text) {
    if (marker.empty()) return {};
    const auto at = text.find(marker);
    return at == std::string::npos ? std::string() : text.substr(0, at);
}

std::string TextBeforeChar(char c, const std::string& text) {
    const auto at = text.find(c);
    return at == std::string::npos ? std::string() : text.substr(0, at);
}

std::string TextBeforeLastChar(char c, const std::string& text) {
    const auto at = text.rfind(c);
    return at == std::string::npos ? std::string() : text.substr(0, at);
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

template <class Keep>
std::string Filter(const std::string& text, Keep keep) {
    std::string kept;
    kept.reserve(text.size());
    for (char c : text) {
        if (keep(c)) kept += c;
    }
    return kept;
}

}  // namespace

std::string KeepNonDigits(const std::string& text) {
    return Filter(text, [](char c) { return !IsDigit(c); });
}

std::string KeepNumberChars(const std::string& text) {
    return Filter(text, [](char c) { return IsDigit(c) || c == ',' || c == '.'; });
}

std::string RemoveSpaces(const std::string& text) {
    return Filter(text, [](char c) { return c != ' '; });
}

}  // namespace support
