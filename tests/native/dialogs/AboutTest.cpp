// The information box: its design, the first paint that places it and fills in its texts, the two
// pages, and what Mail and Home do, with the popup for a failure.
#include <functional>
#include <string>
#include <vector>

#include "DialogsFixture.h"
#include "dialogs/About.h"
#include "dialogs/Author.h"
#include "dialogs/zvMail.h"

namespace dialogstest {
namespace {

using dialogs::TAboutBox;

class AboutTest : public DialogsTest {
protected:
    void SetUp() override {
        DialogsTest::SetUp();
        main.SetBounds(500, 400, 250, 213);
        main.SetCaption("Quodo, versie 1.06");
        box = MakeBox();
    }
    void TearDown() override {
        box.reset();
        DialogsTest::TearDown();
    }

    std::unique_ptr<TAboutBox> MakeBox() {
        auto made = std::make_unique<TAboutBox>(main, dialogs::ProgramTexts{"Quodo", "versie 1.06", kNotice});
        made->popup = popup.get();
        made->FormCreate();
        return made;
    }

    // Shows the box modally; `act` is what the user does in it. Returns the modal result.
    int InBox(const std::function<void(TAboutBox&)>& act = nullptr) {
        backend.onModal = [&](ui::Form&) {
            if (act) act(*box);
        };
        const int result = box->ShowModal();
        backend.onModal = nullptr;
        return result;
    }

    // Where a new box is placed over a main window at this place.
    std::pair<int, int> PlacedAt(int mainTop, int mainLeft) {
        main.SetBounds(mainLeft, mainTop, main.Width(), main.Height());
        box = MakeBox();
        InBox();
        return {box->Top(), box->Left()};
    }

    static constexpr const char* kNotice = "Koersen zonder garantie";
    ui::Form main{"TMainForm", "MainForm"};
    std::unique_ptr<TAboutBox> box;
};

TEST_F(AboutTest, CreationSizesTheBoxAndLaysOutItsButtons) {
    EXPECT_EQ(box->Border(), ui::BorderStyle::DialogNoSystemMenu);
    EXPECT_EQ(box->Caption(), "Informatie");
    EXPECT_EQ(box->ClientWidth(), 437);   // Bevel3's width and twice its Left
    EXPECT_EQ(box->ClientHeight(), 285);  // OKBtn's bottom and 20
    EXPECT_EQ(box->MainPanel.Width(), 437);
    EXPECT_EQ(box->MainPanel.Height(), 285);
    EXPECT_EQ(box->NameLabel.Width(), 437);
    EXPECT_EQ(box->VersionLabel.Width(), 437);
    EXPECT_EQ(box->HomeBtn.Left(), 289);
    EXPECT_EQ(box->HomeBtn.Left() + box->HomeBtn.Width(), 437 - box->MailBtn.Left());
    EXPECT_EQ(box->OKBtn.Left(), 180);
    EXPECT_EQ(box->OKBtn1.Left(), 180);
    EXPECT_EQ(box->Memo1.Width(), 437);
    EXPECT_EQ(box->Memo1.Height(), 285);
    EXPECT_FALSE(box->Visible());
    EXPECT_FALSE(box->FirstPaintDone());
    EXPECT_EQ(box->Label1.Text(), "");

    EXPECT_EQ(box->helpContext, 50000);
    EXPECT_EQ(box->OKBtn.HelpContextInEffect(), 50000);
    EXPECT_EQ(box->MailBtn.HelpContextInEffect(), 50000);
    EXPECT_EQ(box->Memo1.HelpContextInEffect(), 50100);
    EXPECT_EQ(box->OKBtn1.HelpContextInEffect(), 50100);
    for (ui::Button* ok : {&box->OKBtn, &box->OKBtn1}) {
        EXPECT_TRUE(ok->isDefault);
        EXPECT_EQ(ok->modalResult, ui::kResultOk);
        EXPECT_EQ(ok->glyph, "check");
        EXPECT_EQ(ok->Text(), "OK");
    }
    for (ui::Control* c : std::vector<ui::Control*>{&box->AutorBtn, &box->MailBtn, &box->OKBtn, &box->HomeBtn,
                                                    &box->OKBtn1}) {
        EXPECT_TRUE(c->handCursor) << c->Name();
        EXPECT_TRUE(c->showHint) << c->Name();
    }
    EXPECT_EQ(box->AutorBtn.Hint(), "Toon informatie");
    // The frames lie behind the notice, the author button and the description that they frame.
    for (ui::Control* framed : std::vector<ui::Control*>{&box->CopyrightLabel, &box->AutorBtn, &box->Label1,
                                                         &box->Label2}) {
        EXPECT_LT(box->Bevel3.zOrder, framed->zOrder);
        EXPECT_LT(box->Bevel2.zOrder, framed->zOrder);
    }
    // The author page lies under the main page, and Panel1 under the author page.
    EXPECT_GT(box->MainPanel.zOrder, box->Memo1.zOrder);
    EXPECT_LT(box->Panel1.zOrder, box->Memo1.zOrder);
    EXPECT_FALSE(box->MailMemo.Visible());
    const ui::Font& name = box->NameLabel.GetFont();
    EXPECT_EQ(name.name, "Arial Rounded MT Bold");
    EXPECT_EQ(name.height, 55);
    EXPECT_TRUE(name.italic);
    EXPECT_EQ(box->Label1.GetFont().name, "Verdana");
    EXPECT_EQ(box->Label1.GetFont().height, 17);
}

TEST_F(AboutTest, TheFirstPaintPlacesTheBoxHalfAboveTheMainWindowAndLaterShowingsKeepIt) {
    EXPECT_EQ(InBox(), ui::kResultNone);  // the headless user did nothing
    EXPECT_TRUE(box->FirstPaintDone());
    EXPECT_EQ(backend.modalForms, std::vector<std::string>{"AboutBox"});
    EXPECT_EQ(box->Top(), 400 - box->Height() / 2);
    EXPECT_EQ(box->Left(), 500 + 250 / 2 - box->Width() / 2);
    EXPECT_EQ(backend.focused, &box->MainPanel);

    main.SetBounds(100, 100, 250, 213);
    const int top = box->Top(), left = box->Left();
    InBox();
    EXPECT_EQ(box->Top(), top);
    EXPECT_EQ(box->Left(), left);
}

TEST_F(AboutTest, ThePlaceIsCorrectedToKeepTheBoxOnTheScreen) {
    const ui::Size screen = backend.screen;
    // A main window at Top 5: the box would start above the screen.
    EXPECT_EQ(PlacedAt(5, 500).first, 2);
    // Near the bottom: 45 pixels above the screen's bottom edge.
    auto [top, left] = PlacedAt(screen.height - 50, 500);
    EXPECT_EQ(top + box->Height(), screen.height - 45);
    // Near the right edge: 3 pixels inside it.
    std::tie(top, left) = PlacedAt(400, screen.width - 100);
    EXPECT_EQ(left + box->Width(), screen.width - 3);
    // Left of the screen: Left 2.
    EXPECT_EQ(PlacedAt(400, -400).second, 2);
    // Right at the edge counts as on the screen.
    std::tie(top, left) = PlacedAt(400, screen.width - 125 - box->Width() + box->Width() / 2);
    EXPECT_EQ(left + box->Width(), screen.width);
}

TEST_F(AboutTest, DutchTextsAreSetAtTheFirstPaint) {
    InBox();
    EXPECT_EQ(box->Caption(), "Quodo - Informatie");
    EXPECT_EQ(box->NameLabel.Text(), "Quodo");
    EXPECT_EQ(box->VersionLabel.Text(), "versie 1.06");
    EXPECT_EQ(box->CopyrightLabel.Text(), kNotice);
    EXPECT_EQ(box->Label1.Text(), "Quodo is een eenvoudig programma om");
    EXPECT_EQ(box->Label2.Text(), "de koers van de AEX-index te volgen.");
    EXPECT_EQ(box->OKBtn.Hint(), "Verlaat Info-venster");
    EXPECT_EQ(box->MailBtn.Hint(), "Stuur e-mail naar auteur");
    EXPECT_EQ(box->HomeBtn.Hint(), "Toon Home Page in Browser");
    EXPECT_EQ(box->OKBtn1.Hint(), "Verlaat Informatie-scherm");
    EXPECT_EQ(box->MailMemo.Lines(), dialogs::AuthorMailLines(true));
    const std::vector<std::string> author = {"",
                                             "Het programma Quodo is geschreven door",
                                             "",
                                             dialogs::author::kFullName,
                                             dialogs::author::kStreetAndNumber,
                                             dialogs::author::kPostcodeAndTown,
                                             "(0570) 612345",
                                             "wouter@quodosoft.nl",
                                             "http://www.quodosoft.nl/",
                                             "",
                                             "Schrijf, bel of mail voor nadere informatie!"};
    EXPECT_EQ(box->Memo1.Lines(), author);
}

TEST_F(AboutTest, OtherLanguagesGetTheEnglishTextsFixedAtTheFirstPaint) {
    support::LanguageCode = "DEU";
    InBox();
    EXPECT_EQ(box->Caption(), "Quodo - About");
    EXPECT_EQ(box->Label1.Text(), "Quodo is a simple program to follow");
    EXPECT_EQ(box->Label2.Text(), "the prices of the AEX index.");
    EXPECT_EQ(box->OKBtn.Hint(), "Close About Window");
    EXPECT_EQ(box->MailBtn.Hint(), "Send e-mail to the autor");
    EXPECT_EQ(box->HomeBtn.Hint(), "Show Home Page in Browser");
    EXPECT_EQ(box->OKBtn1.Hint(), "Close About Window");
    EXPECT_EQ(box->MailMemo.Lines(), dialogs::AuthorMailLines(false));
    const auto& author = box->Memo1.Lines();
    ASSERT_EQ(author.size(), 11u);
    EXPECT_EQ(author[1], "Quodo has been written by:");
    EXPECT_EQ(author[5], std::string("NL ") + dialogs::author::kPostcodeAndTown);
    EXPECT_EQ(author[6], "0031 570 612345");
    EXPECT_EQ(author[10], "Write, Phone or Mail for more information.");

    support::LanguageCode = "NLD";
    InBox();
    EXPECT_EQ(box->Caption(), "Quodo - About");
    EXPECT_EQ(box->Label1.Text(), "Quodo is a simple program to follow");
}

TEST_F(AboutTest, TheAuthorPageAndBackEndOnTheMainPageWithTheMainWindowsCaption) {
    support::LanguageCode = "ENU";
    EXPECT_EQ(box->DefaultButton(), nullptr);  // nothing shows yet
    const int result = InBox([](TAboutBox& b) {
        EXPECT_EQ(b.DefaultButton(), &b.OKBtn);
        b.AutorBtn.Click();
        EXPECT_FALSE(b.MainPanel.Visible());
        EXPECT_TRUE(b.Memo1.Showing());
        EXPECT_TRUE(b.OKBtn1.Showing());
        EXPECT_EQ(b.Caption(), "Quodo - Informatie");  // in English too
        EXPECT_EQ(b.DefaultButton(), &b.OKBtn1);
        EXPECT_TRUE(b.Modal());
        b.DialogKey(ui::Key::Enter, nullptr);  // Enter presses OKBtn1
    });
    EXPECT_EQ(result, ui::kResultOk);
    EXPECT_EQ(box->Caption(), "Quodo, versie 1.06 - Informatie");
    EXPECT_TRUE(box->MainPanel.Visible());

    InBox([](TAboutBox& b) {
        EXPECT_TRUE(b.MainPanel.Showing());
        EXPECT_EQ(b.Caption(), "Quodo, versie 1.06 - Informatie");
        EXPECT_EQ(b.DefaultButton(), &b.OKBtn);
    });
}

TEST_F(AboutTest, TheKeyboardReachesOnlyTheButtonsOfThePageThatShows) {
    InBox([](TAboutBox& b) {
        const std::vector<ui::Control*> mainPage = {&b.OKBtn, &b.MailBtn, &b.HomeBtn};
        EXPECT_EQ(b.TabOrderList(), mainPage);
        b.AutorBtn.Click();
        EXPECT_EQ(b.TabOrderList(), std::vector<ui::Control*>{&b.OKBtn1});
        b.OKBtn1.Click();
    });
}

TEST_F(AboutTest, EnterAndTheOkButtonCloseTheBoxWithOk) {
    EXPECT_EQ(InBox([](TAboutBox& b) { b.DialogKey(ui::Key::Enter, &b.MainPanel); }), ui::kResultOk);
    EXPECT_EQ(InBox([](TAboutBox& b) { b.OKBtn.Click(); }), ui::kResultOk);
    EXPECT_FALSE(box->Visible());
}

TEST_F(AboutTest, HomeOpensTheMakersPageInTheLanguageWithTheBoxAsOwner) {
    int window = 0;
    box->userData = &window;
    InBox([](TAboutBox& b) { b.HomeBtn.Click(); });
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].verb, "open");
    EXPECT_EQ(shell.calls[0].file, "http://www.quodosoft.nl/index_n.php");
    EXPECT_EQ(shell.calls[0].parameters, "");
    EXPECT_EQ(shell.calls[0].owner, &window);
    EXPECT_FALSE(popup->Visible());

    support::LanguageCode = "ENU";
    shell.result = 33;  // the least success
    InBox([](TAboutBox& b) { b.HomeBtn.Click(); });
    EXPECT_EQ(shell.calls.back().file, "http://www.quodosoft.nl/index.php");
    EXPECT_FALSE(popup->Visible());
}

TEST_F(AboutTest, AHomePageTheShellCannotOpenGivesThePopupOverTheBoxWhereItIsForThreeSeconds) {
    shell.result = 32;
    InBox([&](TAboutBox& b) {
        b.Moved(400, 300);  // the user has dragged the box by its title bar
        b.HomeBtn.Click();
        EXPECT_TRUE(popup->Visible());
        EXPECT_TRUE(b.Modal());
        EXPECT_TRUE(b.Visible());
    });
    EXPECT_EQ(popup->MessageMemo.Lines(), std::vector<std::string>{"Browser niet geopend."});
    EXPECT_EQ(popup->Timer.Interval(), 3000u);
    EXPECT_EQ(popup->Top(), 300 + (box->Height() - popup->Height()) / 2);
    EXPECT_EQ(popup->Left(), 400 + (box->Width() - popup->Width()) / 2);
    backend.Advance(3000);
    EXPECT_FALSE(popup->Visible());

    support::LanguageCode = "ENU";
    shell.result = 2;
    InBox([](TAboutBox& b) { b.HomeBtn.Click(); });
    EXPECT_EQ(popup->MessageMemo.Lines(), std::vector<std::string>{"Browser not opened."});
}

TEST_F(AboutTest, MailHandsOverTheMailMemosLinesAndAFailureShowsItsCodeForFiveSeconds) {
    InBox([](TAboutBox& b) { b.MailBtn.Click(); });
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].file,
              dialogs::MailtoAddress("Programma Quodo, versie 1.06", dialogs::MailBody(box->MailMemo.Lines())));
    EXPECT_FALSE(popup->Visible());

    shell.result = 0;
    InBox([](TAboutBox& b) { b.MailBtn.Click(); });
    EXPECT_TRUE(popup->Visible());
    const std::vector<std::string> failure = {"Het verzenden van de mail is niet gelukt (Fout 1).",
                                              "Verstuur de mail op een andere manier s.v.p."};
    EXPECT_EQ(popup->MessageMemo.Lines(), failure);
    EXPECT_EQ(popup->Timer.Interval(), 5000u);
    EXPECT_EQ(popup->Top(), box->Top() + (box->Height() - popup->Height()) / 2);
    backend.Advance(4999);
    EXPECT_TRUE(popup->Visible());
    backend.Advance(1);
    EXPECT_FALSE(popup->Visible());
}

TEST_F(AboutTest, AWebMailFormThatWillNotOpenGivesCodeTwo) {
    registry.classesRoot[dialogs::kMailCommandKey] = "\"C:\\Mail\\mail.exe\" MailToProtocolHandler %1";
    support::LanguageCode = "ENU";
    shell.result = 5;
    InBox([](TAboutBox& b) { b.MailBtn.Click(); });
    EXPECT_NE(shell.calls.back().file.find("/mailform_e_php.php?ProgNam=Quodo, versie 1.06&Contents=Hi "),
              std::string::npos);
    const std::vector<std::string> failure = {"Sending mail didn't succeed (Error 2).",
                                              "Send the mail in an other way please."};
    EXPECT_EQ(popup->MessageMemo.Lines(), failure);
}

}  // namespace
}  // namespace dialogstest
