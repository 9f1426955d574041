// The main window on the headless backend, with fake system services: a test creates the window
// as the program does, then acts as a user (mouse, menus, timers) and checks what the user sees.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "app/Main.h"
#include "app/Startup.h"
#include "fakes/FakeSystem.h"
#include "fakes/FakeWeb.h"
#include "fakes/MemoryRegistry.h"
#include "quotes/DayPoints.h"
#include "quotes/IndexQuote.h"
#include "settings/Options.h"
#include "settings/StoredSettings.h"
#include "support/Support.h"
#include "ui/Headless.h"

namespace apptest {

struct PlayedTone {
    unsigned frequency, milliseconds;  // a pause has frequency 0
    bool operator==(const PlayedTone& o) const { return frequency == o.frequency && milliseconds == o.milliseconds; }
};

struct RecordingSound : platform::Sound {
    std::vector<PlayedTone> played;
    // Runs after each tone (what the user does while it sounds); may be empty.
    std::function<void()> onTone;
    void Tone(unsigned frequency, unsigned milliseconds) override {
        played.push_back({frequency, milliseconds});
        if (onTone) onTone();
    }
    void Silence(unsigned milliseconds, platform::StopSignal&) override { played.push_back({0, milliseconds}); }
};

struct RecordingHelp : platform::HtmlHelp {
    struct Call { bool ownerDesktop; std::string file; unsigned command; unsigned long data; };
    bool available = true;
    bool loadable = true;
    bool loaded = false;
    std::vector<Call> calls;
    bool Available() override { return available; }
    bool Load() override { return loaded = available && loadable; }
    bool Loaded() override { return loaded; }
    void Unload() override { loaded = false; }
    void Call(bool ownerDesktop, const std::string& file, unsigned command, unsigned long data) override {
        calls.push_back({ownerDesktop, file, command, data});
    }
};

// Files written by a fetch are read back by the chart drawing.
struct SharedFiles : fakes::FakeFileSystem {
    fakes::FakeWeb* web = nullptr;
    // Reading these raises the error that reading a file too large for memory raises.
    std::set<std::string> tooLargeForMemory;
    std::optional<std::string> ReadFile(const std::string& path) override {
        if (tooLargeForMemory.count(path)) throw std::bad_alloc();
        if (web && web->files.count(path)) return web->files.at(path);
        return FakeFileSystem::ReadFile(path);
    }
};

constexpr const char* kKey = "Software\\Quodo\\Defaults";
constexpr const char* kStartFolder = "C:\\Program Files\\Quodo\\";
// The user's data folder, apart from the start folder as on any system of the NT family.
constexpr const char* kDataFolder = "C:\\Users\\tester\\UserData\\Quodo\\";

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::SetBackend(&backend);
        sys.Install();
        files.web = &web;
        files.currentDirectory = sys.files.currentDirectory;
        files.programPath = sys.files.programPath;
        files.AddFile("C:\\Program Files\\Quodo\\Quodo.chm", "chm", 0);
        files.AddFile("C:\\Program Files\\Quodo\\ErrorGraph.png", "png", 0);
        platform::Current().files = &files;
        platform::Current().registry = &registry;
        platform::Current().web = &web;
        platform::Current().sound = &sound;
        platform::Current().help = &help;
        sys.clock.now = fakes::MakeDateTime(2026, 12, 7, 10, 0);  // a Monday, the exchange open
        quotes::IndexQuote = {};
        quotes::FeedDay = {};
        state = app::ProgramState();
        ui::App() = ui::Application();
        ui::App().SetTitle("Quodo");
        registry.CreateKey(kKey);
        const char* shellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
        registry.CreateKey(shellFolders);
        registry.SetString(shellFolders, "Desktop", "C:\\Users\\tester\\Desktop");
        support::Initialize();
    }

    void TearDown() override {
        backend.EndWaits();  // what still waits ends while its windows live
        options.reset();
        form.reset();
        support::Finalize();
        ui::App() = ui::Application();
        platform::Current() = platform::Services();
    }

    void SetStored(const std::string& name, uint32_t value) { registry.SetDword(kKey, name, value); }
    void SetStoredText(const std::string& name, const std::string& value) { registry.SetString(kKey, name, value); }
    std::optional<platform::RegistryValue> Stored(const std::string& name) { return registry.Query(kKey, name); }
    // A stored DWORD read as the signed number the program stores.
    int32_t StoredInteger(const std::string& name) {
        const auto value = Stored(name);
        if (!value || value->type != platform::kRegDword || value->data.size() != 4) return -1;
        uint32_t n = 0;
        for (int i = 3; i >= 0; --i) n = n << 8 | static_cast<uint8_t>(value->data[size_t(i)]);
        return static_cast<int32_t>(n);
    }

    // Creates the windows as the program does: the main window, the settings dialog (which applies
    // the stored settings), then the first show.
    app::TMainForm& Start(bool show = true) {
        registry.CreateKey("Software\\Quodo");
        form = std::make_unique<app::TMainForm>(state);
        ui::App().SetMainForm(form.get());
        ui::App().Dispatch([&] { form->FormCreate(); });
        options = std::make_unique<settings::TOptionsForm>(*form, form->ProductName);
        app::ConnectOptions(*form, *options);
        if (!ui::App().Terminated()) ui::App().Dispatch([&] { options->FormCreate(); });
        if (show && !ui::App().Terminated()) ui::App().Run(*form);
        return *form;
    }

    void RightPress(ui::Control& c, int x, int y) { c.MouseDown(ui::MouseButton::Right, x, y); }

    ui::HeadlessBackend backend;
    fakes::FakeSystem sys;
    SharedFiles files;
    fakes::MemoryRegistry registry;
    fakes::FakeWeb web;
    RecordingSound sound;
    RecordingHelp help;
    app::ProgramState state;
    std::unique_ptr<app::TMainForm> form;
    std::unique_ptr<settings::TOptionsForm> options;
};

}  // namespace apptest
