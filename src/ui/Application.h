// The application object: title, the main loop, letting pending events run, termination,
// the help hook and the general error handler through which every event is dispatched.
#pragma once

#include <exception>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/Await.h"

namespace ui {

class Form;

constexpr unsigned kHelpContext = 1;
constexpr unsigned kHelpContextPopup = 8;

class Application {
public:
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title);

    // A help request (command, data); returns true when handled.
    using HelpHook = std::function<bool(unsigned command, unsigned long data)>;
    HelpHook onHelp;
    bool Help(unsigned command, unsigned long data);

    void ProcessMessages();
    void Run(Form& mainForm);
    void Terminate();
    bool Terminated() const { return terminated_; }
    Form* MainForm() const { return mainForm_; }
    void SetMainForm(Form* f) { mainForm_ = f; }

    // Shows an error's message in a modal box with the error icon, titled with the application title.
    void HandleException(const std::exception& e);

    // Runs one event; no exception leaves it. A wait cut short by the program's end ends its event
    // quietly.
    template <class F>
    void Dispatch(F&& f) {
        try {
            f();
        } catch (const platform::Cancelled&) {
        } catch (const std::exception& e) {
            HandleException(e);
        } catch (...) {
            HandleException(std::runtime_error("Unknown error"));
        }
    }

    // An event that acts on the program (a click, a key, a menu command, a timer tick) runs at
    // once, unless something holds events: a wait for slow work, pending messages let run inside an
    // event, or a menu or message box running its own loop. Then it runs once that is over, from
    // the message loop, never inside the event that waits; events of the same key are taken once.
    // (Before the message loop runs, only pumps that hold hand events out.)
    struct EventKey {
        const void* source = nullptr;
        int kind = 0;
        bool operator==(const EventKey& o) const { return source == o.source && kind == o.kind; }
    };
    void Act(EventKey key, std::function<void()> event);

    // Holds acting events for as long as it lives. The backends hold around every message pump
    // that runs inside an event.
    class Hold {
    public:
        Hold();
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
    };
    bool Holding() const { return holdDepth_ > 0; }
    // Runs the events held so far, when nothing holds them any more; at the program's end they are
    // dropped.
    void RunHeldEvents();

private:
    std::string title_;
    Form* mainForm_ = nullptr;
    bool terminated_ = false;
    int holdDepth_ = 0;
    std::vector<std::pair<EventKey, std::function<void()>>> held_;
};

Application& App();

}  // namespace ui
