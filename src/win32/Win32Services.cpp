#include "win32/Win32Services.h"

#include <windows.h>

#include "platform/Platform.h"
#include "platform/Wait.h"
#include "win32/PeExports.h"
#include "win32/Win32System.h"

namespace win32 {

namespace {

class Sound : public platform::Sound {
public:
    void Tone(unsigned frequency, unsigned milliseconds) override { Beep(frequency, milliseconds); }

    // The silence is a wait on an event that the stop sets.
    void Silence(unsigned milliseconds, platform::StopSignal& stop) override {
        const HANDLE stopped = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (!stopped) return;
        {
            const platform::StopSignal::Cut cut(&stop, [stopped] { SetEvent(stopped); });
            WaitForSingleObject(stopped, milliseconds);
        }
        CloseHandle(stopped);
    }
};

constexpr UINT kHhCloseAll = 0x0012;

// The HTML Help library is loaded at run time, from the system folder only (never from the
// program's folder or the current one), and only at the first help request: loading it costs a
// noticeable part of the start. At start the program only checks that it is there.
class HtmlHelp : public platform::HtmlHelp {
public:
    ~HtmlHelp() override { Unload(); }

    bool Available() override {
        const std::string path = SystemFilePath(kLibrary);
        return !path.empty() && PeExports(path, kEntry);
    }

    bool Load() override {
        if (library_) return true;
        const std::string path = SystemFilePath(kLibrary);
        if (path.empty()) return false;
        library_ = LoadLibraryA(path.c_str());
        if (!library_) return false;
        entry_ = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(library_, kEntry)));
        if (!entry_) Unload();
        return entry_ != nullptr;
    }

    bool Loaded() override { return entry_ != nullptr; }

    void Unload() override {
        if (entry_) entry_(nullptr, nullptr, kHhCloseAll, 0);
        if (library_) FreeLibrary(library_);
        library_ = nullptr;
        entry_ = nullptr;
    }

    void Call(bool ownerDesktop, const std::string& file, unsigned command, unsigned long data) override {
        if (!entry_) return;
        entry_(ownerDesktop ? GetDesktopWindow() : nullptr, file.c_str(), command, data);
    }

private:
    static constexpr const char* kLibrary = "hhctrl.ocx";
    static constexpr const char* kEntry = "HtmlHelpA";
    using Entry = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
    HMODULE library_ = nullptr;
    Entry entry_ = nullptr;
};

}  // namespace

void InstallSoundAndHelp() {
    // A sweep cut short at the end may still be playing while the program's static objects go.
    static Sound* const sound = new Sound;
    static HtmlHelp help;
    platform::Current().sound = sound;
    platform::Current().help = &help;
}

}  // namespace win32
