// The settings store: named values in sections below HKEY_CURRENT_USER\Software\<product>.
// A caller opens the store, runs one batch of reads, writes or removals and closes it again.
//
// Integers are written as REG_DWORD, or as decimal text when the value already exists as text;
// flags are written as the text "1" or "0". Reads of a missing section or value give the
// caller's default. Refusals of the registry raise std::runtime_error with the message the user
// sees; see the individual operations.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace settings {

class SettingsStore {
public:
    // registry: the registry to use; null means platform::Current().registry at each Open.
    explicit SettingsStore(std::string productName, platform::Registry* registry = nullptr);

    // Opens Software\<product>, creating it when missing. Returns false when the key neither
    // exists nor can be created; the store is open all the same, reads then give their defaults
    // and writes fail at the section.
    bool Open();
    void Close();
    bool IsOpen() const { return open_; }

    // "Software\<product>"
    const std::string& KeyPath() const { return keyPath_; }

    // Raises "Invalid data type for '<name>'" for a value stored neither as REG_DWORD nor as
    // REG_SZ, and "Failed to get data for '<name>'" for one whose data is longer than four bytes.
    // Text that is no decimal 32-bit integer reads as the default.
    int32_t ReadInteger(const std::string& section, const std::string& name, int32_t defaultValue);
    // Raises "Failed to create key <section>" or "Failed to set data for '<name>'".
    void WriteInteger(const std::string& section, const std::string& name, int32_t value);

    // Read through ReadInteger with the default 1 or 0: true when the result is not 0.
    bool ReadFlag(const std::string& section, const std::string& name, bool defaultValue);
    // Writes "1" or "0" as REG_SZ whatever the value's kind was; raises as WriteInteger.
    void WriteFlag(const std::string& section, const std::string& name, bool value);

    // Deletes a value; a missing section or value is no error.
    void Remove(const std::string& section, const std::string& name);

private:
    platform::Registry& Registry();
    std::string SectionPath(const std::string& section) const;
    std::string CreateSection(const std::string& section);

    std::string keyPath_;
    platform::Registry* fixedRegistry_;
    platform::Registry* registry_ = nullptr;
    bool open_ = false;
};

// Keeps a store open for one batch and closes it on every way out, also when an error passes.
class StoreBatch {
public:
    explicit StoreBatch(SettingsStore& store) : store_(store) { store_.Open(); }
    ~StoreBatch() { store_.Close(); }
    StoreBatch(const StoreBatch&) = delete;
    StoreBatch& operator=(const StoreBatch&) = delete;

private:
    SettingsStore& store_;
};

}  // namespace settings
