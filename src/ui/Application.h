// The application object: title, the main loop, termination, the help hook, and the general error
// handler through which every event is dispatched and every operation's error is reported.
#pragma once

#include <exception>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/Owner.h"
#include "platform/Wait.h"

namespace ui {

class Form;

constexpr unsigned kHelpContext = 1;
constexpr unsigned kHelpContextPopup = 8;

class Application : public platform::ErrorSink {
public:
    Application();

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title);

    // A help request (command, data); returns true when handled.
    using HelpHook = std::function<bool(unsigned command, unsigned long data)>;
    HelpHook onHelp;
    bool Help(unsigned command, unsigned long data);

    void Run(Form& mainForm);
    void Terminate();
    bool Terminated() const { return terminated_; }
    Form* MainForm() const { return mainForm_; }
    void SetMainForm(Form* f) { mainForm_ = f; }

    // Shows an error's message in a modal box with the error icon, titled with the application title.
    void HandleException(const std::exception& e);

    // Runs one event; no exception leaves it. A wait called off by the program's end ends its event
    // quietly.
    template <class F>
    void Dispatch(F&& f) {
        try {
            f();
        } catch (...) {
            platform::ReportTo(*this, std::current_exception());
        }
    }

    // Reports an error as the general handler does; a wait called off ends quietly. The owners of
    // the windows' operations report here.
    void Report(std::exception_ptr error) override;

private:

    std::string title_;
    Form* mainForm_ = nullptr;
    bool terminated_ = false;
};

Application& App();

}  // namespace ui
