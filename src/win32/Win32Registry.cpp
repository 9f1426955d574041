#include "win32/Win32Registry.h"

#include <windows.h>

#include <vector>

namespace win32 {
namespace {

// An open registry key, closed when it goes out of scope.
class OpenKey {
public:
    OpenKey(const std::string& path, REGSAM access, HKEY root = HKEY_CURRENT_USER) {
        if (RegOpenKeyExA(root, path.c_str(), 0, access, &key_) != ERROR_SUCCESS) key_ = nullptr;
    }
    ~OpenKey() {
        if (key_) RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    explicit operator bool() const { return key_ != nullptr; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

bool SetValue(const std::string& path, const std::string& name, DWORD type, const void* data, DWORD size) {
    OpenKey key(path, KEY_SET_VALUE);
    return key && RegSetValueExA(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size) ==
                      ERROR_SUCCESS;
}

std::optional<platform::RegistryValue> QueryValue(HKEY root, const std::string& path, const std::string& name) {
    OpenKey key(path, KEY_QUERY_VALUE, root);
    if (!key) return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    // The value may grow between the two calls; ask again with the size reported.
    std::vector<BYTE> buffer;
    LONG result;
    do {
        buffer.resize(size + 1);
        size = static_cast<DWORD>(buffer.size());
        result = RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, buffer.data(), &size);
    } while (result == ERROR_MORE_DATA);
    if (result != ERROR_SUCCESS) return std::nullopt;

    platform::RegistryValue value;
    value.type = type;
    value.data.assign(reinterpret_cast<const char*>(buffer.data()), size);
    // Text ends at its first zero; the data of every other kind is passed on as stored.
    if (type == REG_SZ || type == REG_EXPAND_SZ) value.data = value.data.substr(0, value.data.find('\0'));
    return value;
}

}  // namespace

bool Win32Registry::KeyExists(const std::string& path) { return static_cast<bool>(OpenKey(path, KEY_READ)); }

bool Win32Registry::CreateKey(const std::string& path) {
    HKEY key = nullptr;
    LONG result = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (result != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

std::optional<platform::RegistryValue> Win32Registry::Query(const std::string& path, const std::string& name) {
    return QueryValue(HKEY_CURRENT_USER, path, name);
}

std::optional<std::string> Win32Registry::ClassesRootDefault(const std::string& path) {
    auto value = QueryValue(HKEY_CLASSES_ROOT, path, "");
    if (!value || (value->type != REG_SZ && value->type != REG_EXPAND_SZ)) return std::nullopt;
    return value->data;
}

bool Win32Registry::SetDword(const std::string& path, const std::string& name, uint32_t value) {
    DWORD data = value;
    return SetValue(path, name, REG_DWORD, &data, sizeof data);
}

bool Win32Registry::SetString(const std::string& path, const std::string& name, const std::string& value) {
    return SetValue(path, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

bool Win32Registry::DeleteValue(const std::string& path, const std::string& name) {
    OpenKey key(path, KEY_SET_VALUE);
    return key && RegDeleteValueA(key.get(), name.c_str()) == ERROR_SUCCESS;
}

void InstallRegistry() {
    static Win32Registry registry;
    platform::Current().registry = &registry;
}

}  // namespace win32
