// The registry below HKEY_CURRENT_USER as platform::Registry.
#pragma once

#include "platform/Platform.h"

namespace win32 {

class Win32Registry : public platform::Registry {
public:
    bool KeyExists(const std::string& path) override;
    bool CreateKey(const std::string& path) override;
    std::optional<platform::RegistryValue> Query(const std::string& path, const std::string& name) override;
    bool SetDword(const std::string& path, const std::string& name, uint32_t value) override;
    bool SetString(const std::string& path, const std::string& name, const std::string& value) override;
    bool DeleteValue(const std::string& path, const std::string& name) override;
    std::optional<std::string> ClassesRootDefault(const std::string& path) override;
};

// Puts the process's one Win32Registry into platform::Current().registry.
void InstallRegistry();

}  // namespace win32
