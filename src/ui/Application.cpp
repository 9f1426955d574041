#include "ui/Application.h"

#include "platform/Platform.h"

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

// An error whose report itself failed (the box could not be shown at that moment) gets the plain box
// once more, from here; should that fail too, nothing more can be done.
Application::Application() {
    platform::SetLastResort([](std::exception_ptr error) noexcept {
        try {
            try {
                std::rethrow_exception(error);
            } catch (const platform::Cancelled&) {
            } catch (const std::exception& e) {
                CurrentBackend().MessageDialog(e.what(), App().Title(), MessageKind::Error);
            }
        } catch (...) {
        }
    });
}

void Application::SetTitle(const std::string& title) {
    title_ = title;
    CurrentBackend().SetApplicationTitle(title);
}

bool Application::Help(unsigned command, unsigned long data) { return onHelp && onHelp(command, data); }

void Application::Run(Form& mainForm) {
    mainForm_ = &mainForm;
    if (terminated_) return;
    Dispatch([&] { mainForm.ShowForm(); });
    if (!terminated_) CurrentBackend().Run(mainForm);
}

void Application::Report(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const platform::Cancelled&) {
    } catch (const std::exception& e) {
        HandleException(e);
    } catch (...) {
        HandleException(std::runtime_error("Unknown error"));
    }
}

// From now on nothing new starts: no wait, so no fetch and no sweep.
void Application::Terminate() {
    terminated_ = true;
    if (platform::Loop* loop = platform::Current().loop) loop->BeginEnding();
    CurrentBackend().Quit();
}

void Application::HandleException(const std::exception& e) {
    CurrentBackend().MessageDialog(e.what(), title_, MessageKind::Error);
}

}  // namespace ui
