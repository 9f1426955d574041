#include "ui/Form.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "ui/Application.h"
#include "ui/Backend.h"
#include "ui/Controls.h"

namespace ui {

namespace {

// Children in tab order: those with a place first, by that place, then the others as declared.
std::vector<Control*> InTabOrder(const std::vector<Control*>& children) {
    std::vector<Control*> sorted = children;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Control* a, const Control* b) {
        const bool aPlaced = a->tabOrder >= 0, bPlaced = b->tabOrder >= 0;
        if (aPlaced != bPlaced) return aPlaced;
        return aPlaced && a->tabOrder < b->tabOrder;
    });
    return sorted;
}

void CollectTabStops(const Control& parent, std::vector<Control*>& list) {
    for (Control* child : InTabOrder(parent.Children())) {
        if (!child->Visible() || !child->Enabled()) continue;
        if (child->TabStop() && child->Windowed()) list.push_back(child);
        CollectTabStops(*child, list);
    }
}

Button* FindDefaultButton(Control& parent) {
    for (Control* child : parent.Children()) {
        if (child->Kind() == ControlKind::Button) {
            auto* button = static_cast<Button*>(child);
            if (button->isDefault && button->CanFocus()) return button;
        }
        if (Button* found = FindDefaultButton(*child)) return found;
    }
    return nullptr;
}

// In 64 bits: a stored place may lie anywhere an int reaches. Unscaled, the place is the unit's.
int ScreenAfterMove(int screen, int from, int to, const Scale& scale) {
    if (scale.IsIdentity()) return to;
    const int64_t move = (int64_t{to} - from) * scale.Dpi(), half = kDesignDpi / 2;
    const int64_t scaled = move >= 0 ? (move + half) / kDesignDpi : -((-move + half) / kDesignDpi);
    return int(std::clamp<int64_t>(screen + scaled, INT_MIN, INT_MAX));
}

}  // namespace

Form::Form(std::string className, std::string name)
    : Control(ControlKind::Form, nullptr, std::move(name)), className_(std::move(className)) {
    visible_ = false;
    backColor_ = kButtonFace;
}

Form::~Form() {
    // Children are members of the derived form and are already gone; drop the window last.
    peer_.reset();
}

void Form::SetBorder(BorderStyle style) {
    const int clientWidth = ClientWidth(), clientHeight = ClientHeight();
    border_ = style;
    deviceFrame_ = CurrentBackend().FrameSize(style, Dpi());
    frame_ = GetScale().FromDevice(deviceFrame_);
    dialogKeys = style != BorderStyle::None;
    SetClientSize(clientWidth, clientHeight);
}

void Form::SetClientSize(int width, int height) {
    SetBounds(left_, top_, width + frame_.width, height + frame_.height);
}

// A move in the form's units moves the screen place by as much, scaled: a move there and back (a
// mode switch, say) returns to the very pixel it started from.
void Form::SetBounds(int left, int top, int width, int height) {
    const Scale scale = GetScale();
    screen_.x = ScreenAfterMove(screen_.x, left_, left, scale);
    screen_.y = ScreenAfterMove(screen_.y, top_, top, scale);
    Control::SetBounds(left, top, width, height);
}

void Form::PlaceOnScreen(int x, int y) {
    Moved(x, y);
    Changed(Aspect::Bounds);
}

void Form::Moved(int x, int y) {
    const Scale scale = GetScale();
    screen_ = {x, y};
    left_ = scale.FromDevice(x);
    top_ = scale.FromDevice(y);
}

// The client area is scaled; the title bar and border are the system's at the window's dpi.
Rect Form::DeviceBounds() const {
    const Size client = GetScale().ToDevice(Size{ClientWidth(), ClientHeight()});
    return {screen_.x, screen_.y, screen_.x + client.width + deviceFrame_.width,
            screen_.y + client.height + deviceFrame_.height};
}

int Form::Dpi() const { return dpi_ > 0 ? dpi_ : CurrentBackend().SystemDpi(); }

namespace {

void Rescaled(Control& control) {
    if (ControlPeer* peer = control.Peer()) peer->Changed(Aspect::Scale);
    for (Control* child : control.Children()) Rescaled(*child);
}

}  // namespace

void Form::SetDpi(int dpi) {
    const bool changed = dpi != Dpi();
    const int clientWidth = ClientWidth(), clientHeight = ClientHeight();
    dpi_ = dpi;
    if (!changed) return;
    const Scale scale = GetScale();
    deviceFrame_ = CurrentBackend().FrameSize(border_, dpi);
    frame_ = scale.FromDevice(deviceFrame_);
    left_ = scale.FromDevice(screen_.x);
    top_ = scale.FromDevice(screen_.y);
    width_ = clientWidth + frame_.width;
    height_ = clientHeight + frame_.height;
    Rescaled(*this);
}

void Form::DpiChanged(int dpi, const Rect& suggested) {
    screen_ = {suggested.left, suggested.top};
    if (dpi == Dpi()) {
        PlaceOnScreen(suggested.left, suggested.top);
        return;
    }
    SetDpi(dpi);
}

void Form::Realize() {
    if (realized_) return;
    realized_ = true;
    CreatePeer();
    CurrentBackend().Realized(*this);
}

// Told to the window also when the state stays: the window checks its own, which the system may
// have changed meanwhile.
void Form::SetTopmost(bool v) {
    topmost_ = v;
    Changed(Aspect::Topmost);
}

// The show handler runs before the window appears, so that what it arranges is painted once. The
// window appears also when the handler fails; its error then goes on to the caller.
void Form::ShowForm() {
    if (visible_) return;
    Realize();
    try {
        if (onShow) onShow();
    } catch (...) {
        SetVisible(true);
        throw;
    }
    SetVisible(true);
}

int Form::ShowModal() {
    Realize();
    CurrentBackend().ShowModal(*this);
    return modalResult_;
}

void Form::EndModal(int result) { modalResult_ = result; }

void Form::Close() {
    if (App().MainForm() == this) {
        App().Terminate();
    } else if (modal_) {
        EndModal(kResultCancel);
    } else {
        if (onClose) onClose();
        SetVisible(false);
    }
}

void Form::BringToFront() {
    if (realized_) CurrentBackend().BringToFront(*this);
}

void Form::DisplayChanged() {
    const Point place = OntoNearestMonitor(left_, top_, width_, height_, CurrentBackend().Monitors());
    SetBounds(place.x, place.y, width_, height_);
}

bool Form::RunShortcut(const std::string& keyName) {
    for (PopupMenu* menu : shortcutMenus) {
        for (MenuItem& item : menu->Items()) {
            if (!item.separator && item.shortcut == keyName && item.onClick) {
                item.onClick();
                return true;
            }
        }
    }
    return false;
}

// At the place's top-left corner, as a right click there would open it.
bool Form::OpenContextMenu() {
    if (!contextMenu) return false;
    int x = left_, y = top_;
    for (const Control* c = contextMenuPlace; c && c != this; c = c->Parent()) {
        x += c->Left();
        y += c->Top();
    }
    contextMenu->Popup(x, y);
    return true;
}

void Form::Repaint() { Changed(Aspect::Colors); }

std::vector<Control*> Form::TabOrderList() {
    std::vector<Control*> list;
    CollectTabStops(*this, list);
    return list;
}

Button* Form::DefaultButton() { return FindDefaultButton(*this); }

void Form::SelectNext(Control* from, bool forward) {
    const std::vector<Control*> list = TabOrderList();
    if (list.empty()) return;
    const auto at = std::find(list.begin(), list.end(), from);
    const long n = long(list.size());
    long next;
    if (at == list.end())
        next = forward ? 0 : n - 1;
    else
        next = ((at - list.begin()) + (forward ? 1 : n - 1)) % n;
    list[size_t(next)]->SetFocus();
}

// The arrow keys move the selection to the next or previous radio button of the same group.
void Form::MoveInRadioGroup(Control* from, bool forward) {
    std::vector<Control*> group;
    for (Control* sibling : InTabOrder(from->Parent()->Children()))
        if (sibling->Kind() == ControlKind::RadioButton && sibling->CanFocus()) group.push_back(sibling);
    const auto at = std::find(group.begin(), group.end(), from);
    if (at == group.end() || group.size() < 2) return;
    const long n = long(group.size());
    Control* next = group[size_t(((at - group.begin()) + (forward ? 1 : n - 1)) % n)];
    next->SetFocus();
    static_cast<RadioButton*>(next)->SetChecked(true);
}

bool Form::DialogKey(Key key, Control* focused) {
    if (!dialogKeys) return false;
    const bool forward = key == Key::Down || key == Key::Right;
    switch (key) {
        case Key::Tab:
        case Key::ShiftTab:
            SelectNext(focused, key == Key::Tab);
            return true;
        case Key::Up:
        case Key::Down:
        case Key::Left:
        case Key::Right:
            if (focused && focused->Kind() == ControlKind::RadioButton && focused->Parent()) {
                MoveInRadioGroup(focused, forward);
                return true;
            }
            if (focused && focused->Kind() == ControlKind::SpinEdit && (key == Key::Up || key == Key::Down)) {
                static_cast<SpinEdit*>(focused)->Step(key == Key::Up ? 1 : -1);
                return true;
            }
            return false;
        case Key::Enter:
            // A push button that has the keyboard is pressed by Enter, as by the space bar; from any
            // other control Enter presses the default button, if there is one, and otherwise nothing.
            if (focused && focused->Kind() == ControlKind::Button) {
                if (focused->CanFocus()) focused->Click();
            } else if (Button* button = DefaultButton()) {
                button->Click();
            }
            return true;
        case Key::Escape:
            return true;
    }
    return false;
}

Scale ScreenScale() {
    const Form* main = App().MainForm();
    return main ? main->GetScale() : Scale(CurrentBackend().SystemDpi());
}


}  // namespace ui
