#include "win32/Win32Shell.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/Platform.h"

namespace win32 {
namespace {

class Shell : public platform::Shell {
public:
    intptr_t Open(const std::string& verb, const std::string& file, const std::string& parameters,
                  const void* owner) override {
        HWND window = static_cast<HWND>(const_cast<void*>(owner));
        HINSTANCE result = ShellExecuteA(window, verb.c_str(), file.c_str(),
                                         parameters.empty() ? nullptr : parameters.c_str(), nullptr, SW_SHOWNORMAL);
        return reinterpret_cast<intptr_t>(result);
    }
};

}  // namespace

void InstallShell() {
    static Shell shell;
    platform::Current().shell = &shell;
}

}  // namespace win32
