#include "gui/menu_builder.h"

#include <QMenu>
#include <QSignalBlocker>
#include <algorithm>

#include "gui/qt_text.h"

namespace pagerprog::gui {

namespace {

bool hasItems(const std::string& name) {
    const auto& elements = elementTable();
    return std::any_of(elements.begin(), elements.end(), [&name](const ElementDef& e) { return e.parent == name; });
}

// The keys desktop programs use for their files, and function keys for the pager
// commands, which sit on the menu bar itself and show their key in their tooltip.
QKeySequence shortcutOf(const std::string& item) {
    static const std::unordered_map<std::string, QKeySequence> keys{
        {element::open, QKeySequence("Ctrl+O")},
        {element::save, QKeySequence("Ctrl+S")},
        {element::saveAs, QKeySequence("Ctrl+Shift+S")},
        {element::exit, QKeySequence("Ctrl+Q")},
        {element::guide, QKeySequence("F1")},
        {element::readFromPager, QKeySequence("F5")},
        {element::writeToPager, QKeySequence("F6")},
    };
    auto found = keys.find(item);
    return found == keys.end() ? QKeySequence() : found->second;
}

}  // namespace

MenuActions buildMenuBar(QMenuBar& bar, const std::function<void(const std::string&)>& chosen) {
    MenuActions actions;
    std::unordered_map<std::string, QMenu*> menus;
    for (const auto& element : elementTable()) {
        if (element.kind != ElementKind::Menu && element.kind != ElementKind::MenuItem) continue;
        const QString caption = messageText(element.caption);
        QAction* action = nullptr;
        if (hasItems(element.name)) {
            QMenu* menu = element.parent.empty() ? bar.addMenu(caption) : menus.at(element.parent)->addMenu(caption);
            menus[element.name] = menu;
            action = menu->menuAction();
        } else {
            action = element.parent.empty() ? bar.addAction(caption) : menus.at(element.parent)->addAction(caption);
            const std::string& name = element.name;
            QObject::connect(action, &QAction::triggered, &bar, [chosen, &name] { chosen(name); });
            action->setShortcut(shortcutOf(name));
            if (!action->shortcut().isEmpty() && element.parent.empty()) {
                action->setToolTip(QString(caption).remove('&') + " (" +
                                   action->shortcut().toString(QKeySequence::NativeText) + ")");
            }
        }
        action->setObjectName(QString::fromStdString(element.name));
        actions[element.name] = action;
    }
    return actions;
}

void showMenuElement(QAction& action, const Element& element) {
    const QSignalBlocker block(&action);
    action.setText(messageText(element.caption));
    action.setEnabled(element.enabled);
    action.setVisible(element.visible);
    action.setCheckable(element.checked);
    action.setChecked(element.checked);
}

}  // namespace pagerprog::gui
