// An in-memory registry below HKEY_CURRENT_USER for native tests. Keys and value names are
// matched without regard to case, as the real registry does. Values of any kind can be planted,
// and key creation or writes can be refused, so that callers' failure paths can be driven.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace fakes {

class MemoryRegistry : public platform::Registry {
public:
    // One successful change, in the order made.
    struct Change {
        enum Kind { kSetDword, kSetString, kDelete } kind;
        std::string path;
        std::string name;
    };

    bool KeyExists(const std::string& path) override { return keys_.count(Fold(path)) != 0; }

    // Creates the key and every missing key above it.
    bool CreateKey(const std::string& path) override {
        if (KeyExists(path)) return true;
        if (refuseKeyCreation_) return false;
        AddKeyWithParents(path);
        return true;
    }

    std::optional<platform::RegistryValue> Query(const std::string& path,
                                                 const std::string& name) override {
        return Get(path, name);
    }

    // Default values below HKEY_CLASSES_ROOT, by key path (matched without regard to case).
    std::map<std::string, std::string> classesRoot;
    std::optional<std::string> ClassesRootDefault(const std::string& path) override {
        for (const auto& [key, value] : classesRoot)
            if (Fold(key) == Fold(path)) return value;
        return std::nullopt;
    }

    bool SetDword(const std::string& path, const std::string& name, uint32_t value) override {
        if (!WriteAllowed(path, name)) return false;
        std::string data(4, '\0');
        for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
        Store(path, name, {platform::kRegDword, data});
        changes_.push_back({Change::kSetDword, path, name});
        return true;
    }

    bool SetString(const std::string& path, const std::string& name, const std::string& value) override {
        if (!WriteAllowed(path, name)) return false;
        Store(path, name, {platform::kRegSz, value});
        changes_.push_back({Change::kSetString, path, name});
        return true;
    }

    bool DeleteValue(const std::string& path, const std::string& name) override {
        if (refuseDeletes_) return false;
        auto key = values_.find(Fold(path));
        if (key == values_.end() || key->second.erase(Fold(name)) == 0) return false;
        changes_.push_back({Change::kDelete, path, name});
        return true;
    }

    // --- Test controls ---

    void RefuseKeyCreation(bool refuse = true) { refuseKeyCreation_ = refuse; }
    // Refuses every SetDword and SetString.
    void RefuseWrites(bool refuse = true) { refuseWrites_ = refuse; }
    // Refuses SetDword and SetString of one value name only (in any key).
    void RefuseWritesOf(const std::string& name) { refusedNames_.insert(Fold(name)); }
    void RefuseDeletes(bool refuse = true) { refuseDeletes_ = refuse; }

    // Plants a value of any kind with raw data, creating its key; not recorded as a change.
    void Put(const std::string& path, const std::string& name, unsigned type, const std::string& data) {
        AddKeyWithParents(path);
        Store(path, name, {type, data});
    }
    void PutDword(const std::string& path, const std::string& name, uint32_t value) {
        std::string data(4, '\0');
        for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
        Put(path, name, platform::kRegDword, data);
    }
    void PutString(const std::string& path, const std::string& name, const std::string& value) {
        Put(path, name, platform::kRegSz, value);
    }

    std::optional<platform::RegistryValue> Get(const std::string& path, const std::string& name) const {
        auto key = values_.find(Fold(path));
        if (key == values_.end()) return std::nullopt;
        auto value = key->second.find(Fold(name));
        if (value == key->second.end()) return std::nullopt;
        return value->second;
    }

    // The value as a REG_DWORD number; nullopt when missing or of another kind.
    std::optional<uint32_t> GetDword(const std::string& path, const std::string& name) const {
        auto value = Get(path, name);
        if (!value || value->type != platform::kRegDword || value->data.size() != 4) return std::nullopt;
        uint32_t result = 0;
        for (int i = 3; i >= 0; --i) result = (result << 8) | static_cast<unsigned char>(value->data[i]);
        return result;
    }

    // The value as REG_SZ text; nullopt when missing or of another kind.
    std::optional<std::string> GetString(const std::string& path, const std::string& name) const {
        auto value = Get(path, name);
        if (!value || value->type != platform::kRegSz) return std::nullopt;
        return value->data;
    }

    size_t ValueCount(const std::string& path) const {
        auto key = values_.find(Fold(path));
        return key == values_.end() ? 0 : key->second.size();
    }

    const std::vector<Change>& Changes() const { return changes_; }
    void ClearChanges() { changes_.clear(); }

private:
    static std::string Fold(std::string text) {
        while (!text.empty() && text.back() == '\\') text.pop_back();
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
    }

    void AddKeyWithParents(const std::string& path) {
        std::string folded = Fold(path);
        for (size_t pos = folded.find('\\'); pos != std::string::npos; pos = folded.find('\\', pos + 1))
            keys_.insert(folded.substr(0, pos));
        keys_.insert(folded);
    }

    bool WriteAllowed(const std::string& path, const std::string& name) const {
        return !refuseWrites_ && refusedNames_.count(Fold(name)) == 0 && keys_.count(Fold(path)) != 0;
    }

    void Store(const std::string& path, const std::string& name, platform::RegistryValue value) {
        values_[Fold(path)][Fold(name)] = std::move(value);
    }

    std::set<std::string> keys_;
    std::map<std::string, std::map<std::string, platform::RegistryValue>> values_;
    std::vector<Change> changes_;
    std::set<std::string> refusedNames_;
    bool refuseKeyCreation_ = false;
    bool refuseWrites_ = false;
    bool refuseDeletes_ = false;
};

}  // namespace fakes
