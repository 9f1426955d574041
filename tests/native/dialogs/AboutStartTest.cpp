// The information box in the running program: the info menu of the main window opens it modally
// over the main window, with the main window's texts.
#include <string>
#include <vector>

#include "../app/AppFixture.h"
#include "dialogs/About.h"

namespace apptest {
namespace {

class AboutStartTest : public AppTest {};

TEST_F(AboutStartTest, OverQuodoInTheInfoMenuShowsTheBoxModallyOverTheMainWindow) {
    SetStored("MainTop", 500);
    SetStored("MainLeft", 600);
    auto& main = Start();
    dialogs::TAboutBox about(main, {main.ProductName, main.VersionText, main.NoticeText});
    app::ConnectAbout(main, about);
    about.FormCreate();

    backend.nextMenuChoice = "OverQuodo2";
    main.ButtonInfoClick();
    ASSERT_EQ(backend.popups.size(), 1u);
    EXPECT_EQ(backend.popups[0].menu, "InfoPopup");
    EXPECT_EQ(backend.modalForms, std::vector<std::string>{"AboutBox"});
    EXPECT_FALSE(about.Visible());

    EXPECT_EQ(about.NameLabel.Text(), "Quodo");
    EXPECT_EQ(about.VersionLabel.Text(), "versie 1.06");
    EXPECT_EQ(about.CopyrightLabel.Text(), main.NoticeText);
    EXPECT_EQ(about.Top(), 500 - about.Height() / 2);
    EXPECT_EQ(about.Left(), 600 + main.Width() / 2 - about.Width() / 2);
}

}  // namespace
}  // namespace apptest
