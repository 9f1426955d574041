// Forms: top-level windows with their frame and client area, shown (also modally), placed on the
// screen at their dpi, and the keyboard of their controls.
#pragma once

#include <string>
#include <vector>

#include "ui/Control.h"
#include "ui/Screens.h"

namespace ui {

class Button;
class PopupMenu;

enum class BorderStyle {
    None,                // no title bar, no border: the client area is the whole window
    Single,              // title bar with the system menu and close box, a thin border
    Dialog,              // title bar with the system menu and close box, a dialog frame
    DialogNoSystemMenu,  // title bar without any box, a dialog frame
};

// The keys a form handles for the keyboard of its controls.
enum class Key { Tab, ShiftTab, Up, Down, Left, Right, Enter, Escape };

class Form : public Control {
public:
    Form(std::string className, std::string name);
    ~Form() override;
    const std::string& ClassName() const { return className_; }
    // The window's title (never shown on a border-less window, but kept for others to read).
    const std::string& Caption() const { return text_; }
    void SetCaption(const std::string& c) { SetText(c); }

    BorderStyle Border() const { return border_; }
    void SetBorder(BorderStyle style);
    // The client area is the window less its title bar and border; Width and Height are the outer size.
    int ClientWidth() const { return width_ - frame_.width; }
    int ClientHeight() const { return height_ - frame_.height; }
    void SetClientSize(int width, int height);
    void SetClientWidth(int width) { SetClientSize(width, ClientHeight()); }
    void SetClientHeight(int height) { SetClientSize(ClientWidth(), height); }
    void SetBounds(int left, int top, int width, int height) override;

    // Where the window lies on the screen, in the screen's pixels: the place that is stored. Left
    // and Top are this place in the form's units; a move through them moves it by as much, scaled,
    // and a place the system gives is kept as it is, so that nothing drifts by rounding.
    Point ScreenPlace() const { return screen_; }
    void PlaceOnScreen(int x, int y);
    // The system has moved the window to this screen place (the user dragged its title bar): the
    // form takes it over, without placing the window again.
    void Moved(int x, int y);
    Rect DeviceBounds() const override;

    // The dots per inch of the monitor the window is on; the system's until the window exists.
    int Dpi() const;
    // The window is on a monitor of this dpi now (it was made there, or moved there): it keeps its
    // client size and its controls in the form's units and its place on the screen, and every
    // window of it takes its new size and font.
    void SetDpi(int dpi);
    // The system has moved the window onto a monitor of another dpi and suggests where it goes
    // now: the form takes the suggested place and lays itself out again at the new dpi (its size
    // follows from its layout, which is what the suggestion scaled it to, up to rounding).
    void DpiChanged(int dpi, const Rect& suggested);

    bool Topmost() const { return topmost_; }
    void SetTopmost(bool v);

    // Creates the peers of the form and every control on it (backend windows).
    void Realize();
    void ShowForm();        // shows the form, running onShow
    // Shows the form while every other shown form is disabled, until a button with a modal result,
    // EndModal or Close ends it; returns the result.
    int ShowModal();
    void EndModal(int result);
    bool Modal() const { return modal_; }
    int ModalResult() const { return modalResult_; }
    void Close();           // ends a modal form (Cancel), hides another, ends the program for the main form
    // Runs when a form that is neither modal nor the main one is closed, before it hides.
    Handler onClose;
    void BringToFront();    // above the other windows, without taking the keyboard
    // Called by the backend when the monitors have changed (one unplugged, the resolution
    // lowered): a form that lies on no monitor any more comes back onto the nearest one.
    void DisplayChanged();
    void Repaint();
    Handler onShow, onDestroy, onPaint;
    // Called by the backend when the form is painted.
    void Painted() { if (onPaint) onPaint(); }
    // Menus whose shortcut keys act while this form has the keyboard.
    std::vector<PopupMenu*> shortcutMenus;
    // Runs the handler of the first item whose shortcut text is keyName; true when one was found.
    bool RunShortcut(const std::string& keyName);
    // The menu that the keyboard opens (Shift+F10, the menu key), at the top-left corner of
    // `contextMenuPlace` (of the form itself when none).
    PopupMenu* contextMenu = nullptr;
    Control* contextMenuPlace = nullptr;
    // The keyboard asks for the context menu (called by the backend); false when there is none.
    bool OpenContextMenu();
    bool Realized() const { return realized_; }

    // The controls that the tab key visits, in order: visible, enabled tab stops.
    std::vector<Control*> TabOrderList();
    // A dialog key pressed while `focused` has the keyboard; true when the form acted on it.
    bool DialogKey(Key key, Control* focused);
    // The shown, enabled default button, if there is one.
    Button* DefaultButton();
    bool dialogKeys = false;  // Tab, arrows and Enter act (set for every form with a title bar)

    // Set by the backend while the form runs modally.
    void SetModalState(bool modal) { modal_ = modal; if (modal) modalResult_ = kResultNone; }

private:
    void SelectNext(Control* from, bool forward);
    void MoveInRadioGroup(Control* from, bool forward);

    std::string className_;
    BorderStyle border_ = BorderStyle::None;
    Size frame_;         // the title bar and border in the form's units
    Size deviceFrame_;   // and in the window's pixels
    Point screen_;
    int dpi_ = 0;        // 0: the system's
    bool topmost_ = false;
    bool realized_ = false;
    bool modal_ = false;
    int modalResult_ = kResultNone;
};

// The factor between the screen positions the forms work with (their places, the monitors, menu
// positions) and the screen's pixels: the main window's, or the system's before there is one.
Scale ScreenScale();

}  // namespace ui
