// The information box: what the program is and who wrote it, with a mail to the author, the
// maker's home page and a page with the author's address. Shown modally from the info menu; its
// texts are Dutch or English by support::LanguageCode, fixed at its first paint.
#pragma once

#include <string>
#include <vector>

#include "dialogs/MessForm.h"
#include "ui/Controls.h"

namespace dialogs {

// The program's texts that the box shows (the main window's ProductName, VersionText and NoticeText).
struct ProgramTexts {
    std::string productName;
    std::string versionText;
    std::string noticeText;
};

class TAboutBox : public ui::Form {
public:
    // mainWindow: the window the box is placed over and whose caption it takes back from the
    // author page.
    TAboutBox(ui::Form& mainWindow, ProgramTexts texts);

    // The message popup that reports a failed hand-over over the box; set by the start-up.
    TMessageForm* popup = nullptr;

    // Components, in the order the box declares them. The main page lies on MainPanel; the author
    // page (Memo1 and OKBtn1) lies under it and shows while MainPanel is hidden.
    ui::Panel MainPanel{this, "MainPanel"};
    ui::Label CopyrightLabel{&MainPanel, "CopyrightLabel"};
    ui::Label NameLabel{&MainPanel, "NameLabel"};
    ui::Label VersionLabel{&MainPanel, "VersionLabel"};
    ui::Bevel Bevel2{&MainPanel, "Bevel2", ui::BevelShape::Box};
    ui::Label Label1{&MainPanel, "Label1"};
    ui::Label Label2{&MainPanel, "Label2"};
    ui::SpeedButton AutorBtn{&MainPanel, "AutorBtn", "author"};
    ui::Memo Memo1{this, "Memo1"};
    ui::Button OKBtn{&MainPanel, "OKBtn"};
    ui::Button OKBtn1{this, "OKBtn1"};
    ui::Panel Panel1{this, "Panel1"};
    ui::Bevel Bevel3{&MainPanel, "Bevel3", ui::BevelShape::Frame};
    ui::Memo MailMemo{&MainPanel, "MailMemo"};
    ui::Button MailBtn{&MainPanel, "MailBtn"};
    ui::Button HomeBtn{&MainPanel, "HomeBtn"};

    // Event handlers.
    void FormCreate();
    void FormPaint();
    void OKBtnClick();
    void AutorBtnClick();
    void OKBtn1Click();
    void MailBtnClick();
    void HomeBtnClick();

    bool FirstPaintDone() const { return painted_; }

private:
    void SetUpComponents();
    void PlaceOverMainWindow();
    void SetLanguageTexts(bool dutch);
    // The main page or the author page.
    void ShowMainPage(bool main);

    ui::Form& mainWindow_;
    const ProgramTexts texts_;
    bool painted_ = false;
};

// The home page address in the language: the maker's Dutch or English start page.
std::string HomePageAddress(bool dutch);

// The eleven lines of the author page.
std::vector<std::string> AuthorPageLines(bool dutch);

}  // namespace dialogs
