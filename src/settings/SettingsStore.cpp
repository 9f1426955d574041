#include "settings/SettingsStore.h"

#include "support/Support.h"

#include <stdexcept>
#include <utility>

namespace settings {
namespace {

std::runtime_error Failure(const std::string& before, const std::string& name, const std::string& after) {
    return std::runtime_error(before + name + after);
}

// REG_DWORD data is little-endian; shorter data is taken as the low bytes.
int32_t NumberFromData(const std::string& data) {
    uint32_t number = 0;
    for (size_t i = data.size(); i-- > 0;) number = (number << 8) | static_cast<unsigned char>(data[i]);
    return static_cast<int32_t>(number);
}

// Text data ends at its first zero byte, as a C string does.
std::string TextFromData(const std::string& data) { return data.substr(0, data.find('\0')); }

}  // namespace

SettingsStore::SettingsStore(std::string productName, platform::Registry* registry)
    : keyPath_("Software\\" + std::move(productName)), fixedRegistry_(registry) {}

bool SettingsStore::Open() {
    registry_ = fixedRegistry_ ? fixedRegistry_ : platform::Current().registry;
    if (!registry_) throw std::logic_error("no registry installed");
    open_ = true;
    return registry_->CreateKey(keyPath_);
}

void SettingsStore::Close() {
    open_ = false;
    registry_ = nullptr;
}

platform::Registry& SettingsStore::Registry() {
    if (!open_) throw std::logic_error("settings store used while closed");
    return *registry_;
}

std::string SettingsStore::SectionPath(const std::string& section) const { return keyPath_ + "\\" + section; }

std::string SettingsStore::CreateSection(const std::string& section) {
    std::string path = SectionPath(section);
    if (!Registry().CreateKey(path)) throw Failure("Failed to create key ", section, "");
    return path;
}

int32_t SettingsStore::ReadInteger(const std::string& section, const std::string& name, int32_t defaultValue) {
    auto value = Registry().Query(SectionPath(section), name);
    if (!value) return defaultValue;
    if (value->type == platform::kRegSz) {
        int32_t number = 0;
        return support::ParseDecimalInteger(TextFromData(value->data), number) ? number : defaultValue;
    }
    // The number is fetched into a four-byte buffer: longer data fails before its kind is seen.
    if (value->data.size() > 4) throw Failure("Failed to get data for '", name, "'");
    if (value->type != platform::kRegDword) throw Failure("Invalid data type for '", name, "'");
    return NumberFromData(value->data);
}

void SettingsStore::WriteInteger(const std::string& section, const std::string& name, int32_t value) {
    std::string path = CreateSection(section);
    auto existing = Registry().Query(path, name);
    bool written = existing && existing->type == platform::kRegSz
                       ? Registry().SetString(path, name, std::to_string(value))
                       : Registry().SetDword(path, name, static_cast<uint32_t>(value));
    if (!written) throw Failure("Failed to set data for '", name, "'");
}

bool SettingsStore::ReadFlag(const std::string& section, const std::string& name, bool defaultValue) {
    return ReadInteger(section, name, defaultValue ? 1 : 0) != 0;
}

void SettingsStore::WriteFlag(const std::string& section, const std::string& name, bool value) {
    std::string path = CreateSection(section);
    if (!Registry().SetString(path, name, value ? "1" : "0"))
        throw Failure("Failed to set data for '", name, "'");
}

void SettingsStore::Remove(const std::string& section, const std::string& name) {
    std::string path = SectionPath(section);
    if (Registry().KeyExists(path)) Registry().DeleteValue(path, name);
}

}  // namespace settings
