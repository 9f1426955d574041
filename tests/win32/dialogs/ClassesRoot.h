// Protocol handlers below HKEY_CLASSES_ROOT for the shell tests. Wine does not merge
// HKEY_CURRENT_USER\Software\Classes into it, so a test registers its handlers there itself;
// SavedClassKeys copies the keys of the schemes it names aside and puts them back as they were.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace classesroot {

inline bool KeyExists(const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

inline void DeleteKey(HKEY root, const std::string& path) {
    RegDeleteTreeA(root, path.c_str());
    RegDeleteKeyA(root, path.c_str());
}

// Copies the key from (with everything below it) to the key to, which is created.
inline void CopyKey(HKEY fromRoot, const std::string& from, HKEY toRoot, const std::string& to) {
    HKEY source, target;
    if (RegOpenKeyExA(fromRoot, from.c_str(), 0, KEY_READ, &source) != ERROR_SUCCESS) return;
    if (RegCreateKeyExA(toRoot, to.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target, nullptr) ==
        ERROR_SUCCESS) {
        RegCopyTreeA(source, nullptr, target);
        RegCloseKey(target);
    }
    RegCloseKey(source);
}

inline void SetText(const std::string& path, const std::string& name, const std::string& text) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
}

// Registers command as the open command of a URL scheme, replacing whatever was there.
inline void RegisterHandler(const std::string& scheme, const std::string& command) {
    DeleteKey(HKEY_CLASSES_ROOT, scheme);
    SetText(scheme, "", "URL:" + scheme);
    SetText(scheme, "URL Protocol", "");
    SetText(scheme + "\\shell\\open\\command", "", command);
}

class SavedClassKeys {
public:
    explicit SavedClassKeys(std::vector<std::string> schemes) : schemes_(std::move(schemes)) {
        DeleteKey(HKEY_CURRENT_USER, kAside);
        for (const std::string& scheme : schemes_)
            if (KeyExists(scheme)) CopyKey(HKEY_CLASSES_ROOT, scheme, HKEY_CURRENT_USER, Aside(scheme));
    }
    ~SavedClassKeys() {
        for (const std::string& scheme : schemes_) {
            DeleteKey(HKEY_CLASSES_ROOT, scheme);
            CopyKey(HKEY_CURRENT_USER, Aside(scheme), HKEY_CLASSES_ROOT, scheme);
        }
        DeleteKey(HKEY_CURRENT_USER, kAside);
    }
    SavedClassKeys(const SavedClassKeys&) = delete;
    SavedClassKeys& operator=(const SavedClassKeys&) = delete;

private:
    static constexpr const char* kAside = "Software\\Quodo tests\\Saved classes";
    static std::string Aside(const std::string& scheme) { return std::string(kAside) + "\\" + scheme; }
    std::vector<std::string> schemes_;
};

}  // namespace classesroot
