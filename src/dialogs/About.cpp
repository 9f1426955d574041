#include "dialogs/About.h"

#include "dialogs/Author.h"
#include "dialogs/MessForm.h"
#include "dialogs/zvMail.h"
#include "platform/Platform.h"
#include "quotes/Hosts.h"
#include "support/Support.h"
#include "ui/Backend.h"

namespace dialogs {

namespace {

constexpr int kMainHelpContext = 50000;
constexpr int kAuthorHelpContext = 50100;
// Results of the shell's open operation above this mean it opened the address.
constexpr intptr_t kShellSuccessAbove = 32;
constexpr int kHomeFailureMs = 3000;
constexpr int kMailFailureMs = 5000;
// How far the box keeps from the screen's bottom and right edges, and from its top and left.
constexpr int kBottomMargin = 45;
constexpr int kRightMargin = 3;
constexpr int kTopLeftMargin = 2;

ui::Font MakeFont(const std::string& name, int height, bool italic = false) {
    ui::Font font;
    font.name = name;
    font.height = height;
    font.italic = italic;
    font.color = ui::kBlack;
    return font;
}

void CenteredLabel(ui::Label& label, int left, int top, int width, int height) {
    label.SetAutoSize(false);
    label.centered = true;
    label.SetBounds(left, top, width, height);
}

// An OK button: the tick, Enter presses it, and it ends the modal showing with OK.
void OkButton(ui::Button& button, int top, int helpContext) {
    button.SetBounds(0, top, 77, 34);
    button.SetText("OK");
    button.glyph = "check";
    button.isDefault = true;
    button.modalResult = ui::kResultOk;
    button.helpContext = helpContext;
}

bool Dutch() { return support::LanguageCode == "NLD"; }

}  // namespace

std::string HomePageAddress(bool dutch) {
    return std::string("http://") + hosts::kMakerWebHost + (dutch ? "/index_n.php" : "/index.php");
}

std::vector<std::string> AuthorPageLines(bool dutch) {
    const std::string town = author::kPostcodeAndTown;
    return {"",
            dutch ? "Het programma Quodo is geschreven door" : "Quodo has been written by:",
            "",
            author::kFullName,
            author::kStreetAndNumber,
            dutch ? town : "NL " + town,
            dutch ? author::Telephone() : author::InternationalTelephone(),
            author::EmailAddress(),
            author::WebSiteAddress(),
            "",
            dutch ? "Schrijf, bel of mail voor nadere informatie!" : "Write, Phone or Mail for more information."};
}

TAboutBox::TAboutBox(ui::Form& mainWindow, ProgramTexts texts)
    : ui::Form("TAboutBox", "AboutBox"), mainWindow_(mainWindow), texts_(std::move(texts)) {
    SetUpComponents();
}

// The design: places, sizes, fonts and the fixed properties of every component.
void TAboutBox::SetUpComponents() {
    SetBorder(ui::BorderStyle::DialogNoSystemMenu);
    SetCaption("Informatie");
    helpContext = kMainHelpContext;
    ui::SetFontOfAll(*this, MakeFont("Verdana", 17));

    // The main page lies above the author page; Panel1 lies behind everything.
    MainPanel.alignClient = true;
    MainPanel.bevelInner = ui::BevelCut::Lowered;
    MainPanel.bevelWidth = 2;
    MainPanel.helpContext = kMainHelpContext;
    MainPanel.zOrder = 1;
    Panel1.SetBounds(344, 0, 27, 257);
    Panel1.zOrder = -1;

    CenteredLabel(NameLabel, 4, 12, 0, 69);
    NameLabel.SetFont(MakeFont("Arial Rounded MT Bold", 55, true));
    CenteredLabel(VersionLabel, 5, 91, 0, 20);
    VersionLabel.SetFont(MakeFont("Arial", 17));
    Bevel3.SetBounds(20, 122, 397, 29);
    CenteredLabel(CopyrightLabel, 28, 129, 357, 16);
    CopyrightLabel.SetFont(MakeFont("Verdana", 13));
    AutorBtn.SetBounds(392, 126, 19, 21);
    AutorBtn.SetHint("Toon informatie");
    Bevel2.SetBounds(20, 159, 397, 52);
    CenteredLabel(Label1, 28, 165, 381, 20);
    CenteredLabel(Label2, 28, 183, 381, 20);

    MailBtn.SetBounds(83, 230, 65, 34);
    MailBtn.SetText("Mail");
    OkButton(OKBtn, 231, kMainHelpContext);
    HomeBtn.SetBounds(0, 230, 65, 34);
    HomeBtn.SetText("Home");
    MailMemo.SetBounds(-298, 230, 325, 197);
    MailMemo.Hide();

    Memo1.border = false;
    Memo1.alignment = ui::Alignment::Center;
    Memo1.SetBackColor(ui::kButtonFace);
    Memo1.helpContext = kAuthorHelpContext;
    OkButton(OKBtn1, 230, kAuthorHelpContext);

    for (ui::Control* c : {static_cast<ui::Control*>(&AutorBtn), static_cast<ui::Control*>(&MailBtn),
                           static_cast<ui::Control*>(&OKBtn), static_cast<ui::Control*>(&HomeBtn),
                           static_cast<ui::Control*>(&OKBtn1)}) {
        c->showHint = true;
        c->handCursor = true;
    }
    ShowMainPage(true);

    OKBtn.onClick = [this] { OKBtnClick(); };
    AutorBtn.onClick = [this] { AutorBtnClick(); };
    OKBtn1.onClick = [this] { OKBtn1Click(); };
    MailBtn.onClick = [this] { MailBtnClick(); };
    HomeBtn.onClick = [this] { HomeBtnClick(); };
    onPaint = [this] { FormPaint(); };
}

void TAboutBox::FormCreate() {
    const int clientWidth = Bevel3.Width() + 2 * Bevel3.Left();
    SetClientWidth(clientWidth);
    NameLabel.SetWidth(clientWidth);
    VersionLabel.SetWidth(clientWidth);
    // Mail and Home lie symmetrically, OK between them.
    HomeBtn.SetLeft(clientWidth - MailBtn.Left() - HomeBtn.Width());
    OKBtn.SetLeft((clientWidth - OKBtn.Width()) / 2);
    SetClientHeight(OKBtn.Top() + OKBtn.Height() + 20);
    OKBtn1.SetLeft((clientWidth - OKBtn1.Width()) / 2);
    Memo1.SetBounds(0, 0, ClientWidth(), ClientHeight());
    painted_ = false;
}

// The first paint, when the box shows for the first time, places it and fills in its texts; the
// language is fixed from then on.
void TAboutBox::FormPaint() {
    if (painted_) return;
    painted_ = true;
    PlaceOverMainWindow();
    NameLabel.SetText(texts_.productName);
    VersionLabel.SetText(texts_.versionText);
    CopyrightLabel.SetText(texts_.noticeText);
    const bool dutch = Dutch();
    SetLanguageTexts(dutch);
    MailMemo.SetLines(AuthorMailLines(dutch));
    Memo1.SetLines(AuthorPageLines(dutch));
    if (MainPanel.Visible()) MainPanel.SetFocus();
}

// Half above the main window's top, centred on it, then kept within all monitors together, and on
// the nearest monitor where that place lies on none.
void TAboutBox::PlaceOverMainWindow() {
    const std::vector<ui::Monitor> monitors = ui::CurrentBackend().Monitors();
    const ui::Rect screen = ui::VirtualScreen(monitors);
    int top = mainWindow_.Top() - Height() / 2;
    int left = mainWindow_.Left() + mainWindow_.Width() / 2 - Width() / 2;
    if (top + Height() > screen.bottom - kBottomMargin) top = screen.bottom - Height() - kBottomMargin;
    if (left + Width() > screen.right) left = screen.right - Width() - kRightMargin;
    if (top < screen.top) top = screen.top + kTopLeftMargin;
    if (left < screen.left) left = screen.left + kTopLeftMargin;
    const ui::Point reachable = ui::OntoNearestMonitor(left, top, Width(), Height(), monitors);
    SetBounds(reachable.x, reachable.y, Width(), Height());
}

void TAboutBox::SetLanguageTexts(bool dutch) {
    SetCaption(texts_.productName + (dutch ? " - Informatie" : " - About"));
    Label1.SetText(dutch ? "Quodo is een eenvoudig programma om" : "Quodo is a simple program to follow");
    Label2.SetText(dutch ? "de koers van de AEX-index te volgen." : "the prices of the AEX index.");
    OKBtn.SetHint(dutch ? "Verlaat Info-venster" : "Close About Window");
    MailBtn.SetHint(dutch ? "Stuur e-mail naar auteur" : "Send e-mail to the autor");
    HomeBtn.SetHint(dutch ? "Toon Home Page in Browser" : "Show Home Page in Browser");
    OKBtn1.SetHint(dutch ? "Verlaat Informatie-scherm" : "Close About Window");
}

// The author page's OK button lies under the main page; it is hidden with it, so that the keyboard
// cannot reach a button the user does not see.
void TAboutBox::ShowMainPage(bool main) {
    OKBtn1.SetVisible(!main);
    MainPanel.SetVisible(main);
}

void TAboutBox::OKBtnClick() { Close(); }

void TAboutBox::AutorBtnClick() {
    ShowMainPage(false);
    SetCaption(texts_.productName + " - Informatie");
}

// The OK kind of the button closes the box after this, so that it opens on the main page again.
void TAboutBox::OKBtn1Click() {
    SetCaption(mainWindow_.Caption() + " - Informatie");
    ShowMainPage(true);
}

void TAboutBox::MailBtnClick() {
    const uint8_t result = SendMailToAuthor(MailMemo.Lines(), texts_.productName, texts_.versionText);
    if (result == kMailHandedOver) return;
    const std::string code = std::to_string(result);
    const bool dutch = Dutch();
    const std::string line1 = dutch ? "Het verzenden van de mail is niet gelukt (Fout " + code + ")."
                                    : "Sending mail didn't succeed (Error " + code + ").";
    const std::string line2 =
        dutch ? "Verstuur de mail op een andere manier s.v.p." : "Send the mail in an other way please.";
    if (popup) popup->ShowMessagePopup(Top(), Left(), Height(), Width(), line1, line2, kMailFailureMs);
}

// The box's own window owns whatever the shell shows (userData is its native window, once made).
void TAboutBox::HomeBtnClick() {
    const bool dutch = Dutch();
    platform::Shell* shell = platform::Current().shell;
    const intptr_t result = shell ? shell->Open("open", HomePageAddress(dutch), "", userData) : 0;
    if (result > kShellSuccessAbove) return;
    if (popup)
        popup->ShowMessagePopup(Top(), Left(), Height(), Width(), dutch ? "Browser niet geopend." : "Browser not opened.",
                                "", kHomeFailureMs);
}

}  // namespace dialogs
