// Popup menus and their items.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "ui/Control.h"

namespace ui {

struct MenuItem {
    std::string name;
    std::string caption;   // empty caption with separator set: a separator line
    std::string shortcut;  // the shortcut text shown, e.g. "F5"
    bool separator = false;
    Handler onClick;
};

class PopupMenu {
public:
    explicit PopupMenu(std::string name) : name_(std::move(name)) {}
    MenuItem& Add(std::string name, std::string caption, std::string shortcut = "", Handler onClick = nullptr);
    MenuItem& AddSeparator(std::string name);
    MenuItem* Find(const std::string& name);
    std::vector<MenuItem>& Items() { return items_; }
    const std::string& Name() const { return name_; }
    // Shows the menu at a screen position (in the forms' units, see ScreenScale) and runs the
    // chosen item's handler.
    void Popup(int x, int y);
    // The user has chosen the item (called by the backend).
    static void Choose(const MenuItem& item);

private:
    std::string name_;
    std::vector<MenuItem> items_;
};

}  // namespace ui
