#include "ui/Application.h"

#include "ui/Backend.h"
#include "ui/Controls.h"

namespace ui {

namespace {
Backend* g_backend = nullptr;
}

Backend& CurrentBackend() { return *g_backend; }
void SetBackend(Backend* backend) { g_backend = backend; }

std::vector<Monitor> Backend::DeviceMonitors() {
    const Size screen = DeviceScreenSize();
    const Rect all{0, 0, screen.width, screen.height};
    return {Monitor{all, all}};
}

Size Backend::ScreenSize() { return ScreenScale().FromDevice(DeviceScreenSize()); }

std::vector<Monitor> Backend::Monitors() {
    const Scale scale = ScreenScale();
    std::vector<Monitor> monitors = DeviceMonitors();
    for (Monitor& m : monitors) m = {scale.FromDevice(m.bounds), scale.FromDevice(m.workArea)};
    return monitors;
}

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
    Dispatch([&] { mainForm.ShowForm(); });
    if (!terminated_) CurrentBackend().Run(mainForm);
}

void Application::Act(EventKey key, std::function<void()> event) {
    if (!Holding()) {
        Dispatch(event);
        return;
    }
    for (const auto& held : held_)
        if (held.first == key) return;
    held_.emplace_back(key, std::move(event));
}

Application::Hold::Hold() { ++App().holdDepth_; }

Application::Hold::~Hold() {
    if (--App().holdDepth_ == 0 && !App().held_.empty()) CurrentBackend().PostHeldEvents();
}

void Application::RunHeldEvents() {
    if (Holding()) return;  // they run when the hold that keeps them ends
    std::vector<std::pair<EventKey, std::function<void()>>> events;
    events.swap(held_);
    for (auto& event : events) {
        if (terminated_) return;
        Dispatch(event.second);
    }
}

void Application::Terminate() {
    terminated_ = true;
    CurrentBackend().Quit();
}

void Application::HandleException(const std::exception& e) {
    CurrentBackend().MessageDialog(e.what(), title_, MessageKind::Error);
}

}  // namespace ui
