#include "ui/Menus.h"

#include "ui/Application.h"
#include "ui/Backend.h"

namespace ui {

// --- PopupMenu

MenuItem& PopupMenu::Add(std::string name, std::string caption, std::string shortcut, Handler onClick) {
    items_.push_back(MenuItem{std::move(name), std::move(caption), std::move(shortcut), false, std::move(onClick)});
    return items_.back();
}

MenuItem& PopupMenu::AddSeparator(std::string name) {
    items_.push_back(MenuItem{std::move(name), "-", "", true, nullptr});
    return items_.back();
}

MenuItem* PopupMenu::Find(const std::string& name) {
    for (auto& item : items_)
        if (item.name == name) return &item;
    return nullptr;
}

void PopupMenu::Popup(int x, int y) {
    const Scale scale = ScreenScale();
    CurrentBackend().Popup(*this, scale.ToDevice(x), scale.ToDevice(y));
}

void PopupMenu::Choose(const MenuItem& item) {
    if (item.onClick) App().Dispatch(item.onClick);
}

}  // namespace ui
