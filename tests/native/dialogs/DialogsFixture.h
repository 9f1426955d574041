// The message popup and the information box on the headless backend, with a text measure in which
// characters differ in width, so that a test can tell which line was measured.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "dialogs/MessForm.h"
#include "fakes/FakeShell.h"
#include "fakes/MemoryRegistry.h"
#include "platform/Platform.h"
#include "support/Support.h"
#include "ui/Application.h"
#include "ui/Headless.h"

namespace dialogstest {

// Every character 5 pixels wide, except 'W', which is 20.
class ProportionalBackend : public ui::HeadlessBackend {
public:
    static constexpr int kNarrow = 5;
    static constexpr int kWide = 20;
    ui::Size MeasureText(const ui::Font& font, const std::string& text) override {
        int width = 0;
        for (char c : text) width += c == 'W' ? kWide : kNarrow;
        return {width, font.height + 3};
    }
};

class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::SetBackend(&backend);
        ui::App() = ui::Application();
        shell.Install();
        platform::Current().registry = &registry;
        support::LanguageCode = "NLD";
        popup = std::make_unique<dialogs::TMessageForm>();
        popup->FormCreate();
    }

    void TearDown() override {
        popup.reset();
        platform::Install(savedServices);
        support::LanguageCode = savedLanguage;
        ui::App() = ui::Application();
    }

    // The point size of the popup's 14-pixel font at 96 dots per inch.
    static constexpr int kLineHeight = 11;

    platform::Services savedServices = platform::Current();
    std::string savedLanguage = support::LanguageCode;
    ProportionalBackend backend;
    fakes::FakeShell shell;
    fakes::MemoryRegistry registry;
    std::unique_ptr<dialogs::TMessageForm> popup;
};

}  // namespace dialogstest
