#include "ui/Application.h"

#include "ui/Backend.h"
#include "ui/Controls.h"

namespace ui {

namespace {
Backend* g_backend = nullptr;
}

Backend& CurrentBackend() { return *g_backend; }

std::vector<Monitor> Backend::Monitors() {
    const Size screen = ScreenSize();
    const Rect all{0, 0, screen.width, screen.height};
    return {Monitor{all, all}};
}
void SetBackend(Backend* backend) { g_backend = backend; }

Application& App() {
    static Application app;
    return app;
}

void Application::SetTitle(const std::string& title) {
    title_ = title;
    CurrentBackend().SetApplicationTitle(title);
}

bool Application::Help(unsigned command, unsigned long data) { return onHelp && onHelp(command, data); }

void Application::ProcessMessages() { CurrentBackend().ProcessMessages(); }

void Application::Run(Form& mainForm) {
    mainForm_ = &mainForm;
    if (terminated_) return;
    running_ = true;
    Dispatch([&] { mainForm.ShowForm(); });
    if (!terminated_) CurrentBackend().Run(mainForm);
    running_ = false;
}

void Application::Terminate() {
    terminated_ = true;
    CurrentBackend().Quit();
}

void Application::HandleException(const std::exception& e) {
    CurrentBackend().MessageDialog(e.what(), title_, MessageKind::Error);
}

}  // namespace ui
