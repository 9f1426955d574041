#include "win32/Win32Services.h"

#include <windows.h>

#include "platform/Platform.h"

namespace win32 {

namespace {

class Sound : public platform::Sound {
public:
    void Tone(unsigned frequency, unsigned milliseconds) override { Beep(frequency, milliseconds); }
    void Pause(unsigned milliseconds) override { Sleep(milliseconds); }
};

// The HTML Help library is loaded at run time: the program can tell the user when it is missing.
class HtmlHelp : public platform::HtmlHelp {
public:
    ~HtmlHelp() override { Unload(); }

    bool Load() override {
        if (library_) return true;
        library_ = LoadLibraryA("hhctrl.ocx");
        if (!library_) return false;
        entry_ = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(library_, "HtmlHelpA")));
        if (!entry_) Unload();
        return entry_ != nullptr;
    }

    bool Loaded() override { return entry_ != nullptr; }

    void Unload() override {
        if (library_) FreeLibrary(library_);
        library_ = nullptr;
        entry_ = nullptr;
    }

    void Call(bool ownerDesktop, const std::string& file, unsigned command, unsigned long data) override {
        if (!entry_) return;
        entry_(ownerDesktop ? GetDesktopWindow() : nullptr, file.c_str(), command, data);
    }

private:
    using Entry = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
    HMODULE library_ = nullptr;
    Entry entry_ = nullptr;
};

}  // namespace

void InstallSoundAndHelp() {
    static Sound sound;
    static HtmlHelp help;
    platform::Current().sound = &sound;
    platform::Current().help = &help;
}

}  // namespace win32
