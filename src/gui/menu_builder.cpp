#include "gui/menu_builder.h"

#include <QMenu>
#include <QSignalBlocker>
#include <algorithm>

#include "gui/qt_text.h"

namespace pagerprog::gui {

namespace {

bool hasItems(const std::string& name) {
    const auto& elements = elementTable();
    return std::any_of(elements.begin(), elements.end(), [&name](const ElementSpec& e) { return e.parent == name; });
}

}  // namespace

MenuActions buildMenuBar(QMenuBar& bar, const std::function<void(const std::string&)>& chosen) {
    MenuActions actions;
    std::unordered_map<std::string, QMenu*> menus;
    for (const auto& element : elementTable()) {
        if (element.kind != ElementKind::Menu && element.kind != ElementKind::MenuItem) continue;
        const QString caption = fieldText(element.caption);
        QAction* action = nullptr;
        if (hasItems(element.name)) {
            QMenu* menu = element.parent.empty() ? bar.addMenu(caption) : menus.at(element.parent)->addMenu(caption);
            menus[element.name] = menu;
            action = menu->menuAction();
        } else {
            action = element.parent.empty() ? bar.addAction(caption) : menus.at(element.parent)->addAction(caption);
            const std::string& name = element.name;
            QObject::connect(action, &QAction::triggered, &bar, [chosen, &name] { chosen(name); });
        }
        action->setObjectName(QString::fromStdString(element.name));
        actions[element.name] = action;
    }
    return actions;
}

void showMenuElement(QAction& action, const Element& element) {
    const QSignalBlocker block(&action);
    action.setText(fieldText(element.caption));
    action.setEnabled(element.enabled);
    action.setVisible(element.visible);
    action.setCheckable(element.checked);
    action.setChecked(element.checked);
}

}  // namespace pagerprog::gui
