// The application object: title, the main loop, letting pending events run, termination,
// the help hook and the general error handler through which every event is dispatched.
#pragma once

#include <exception>
#include <functional>
#include <stdexcept>
#include <string>

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
    bool Running() const { return running_; }
    Form* MainForm() const { return mainForm_; }
    void SetMainForm(Form* f) { mainForm_ = f; }

    // Shows an error's message in a modal box with the error icon, titled with the application title.
    void HandleException(const std::exception& e);

    // Runs one event; no exception leaves it.
    template <class F>
    void Dispatch(F&& f) {
        try {
            f();
        } catch (const std::exception& e) {
            HandleException(e);
        } catch (...) {
            HandleException(std::runtime_error("Unknown error"));
        }
    }

private:
    std::string title_;
    Form* mainForm_ = nullptr;
    bool terminated_ = false;
    bool running_ = false;
};

Application& App();

}  // namespace ui
