// The menu bar from the element table, in table order: a menu with items opens a
// drop-down, one without items is a command on the bar itself ("&WR_To_Pager"); an
// item with items of its own opens a submenu ("&Recover"). Captions are menu texts,
// not pager bytes: they may hold any file name ("Open &Recent").
#pragma once

#include <QAction>
#include <QMenuBar>
#include <functional>
#include <string>
#include <unordered_map>

#include "settings/settings_model.h"

namespace pagerprog::gui {

using MenuActions = std::unordered_map<std::string, QAction*>;

// `chosen` runs with the element name of the item the technician chose.
MenuActions buildMenuBar(QMenuBar& bar, const std::function<void(const std::string&)>& chosen);

// Shows the item's caption, enabled, shown and check-mark states; an item carries a
// check mark only while it is checked.
void showMenuElement(QAction& action, const Element& element);

}  // namespace pagerprog::gui
