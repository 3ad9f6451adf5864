#include "gui/unit_serial_entry.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QWidgetAction>

namespace pagerprog::gui {

namespace {
constexpr int kShownCharacters = 16;  // a label's serial, with room to spare
}

QLineEdit* addUnitSerialEntry(QMenuBar& bar, QAction* after, const std::function<void()>& enter) {
    auto* box = new QWidget;
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(6, 0, 6, 0);
    auto* entry = new QLineEdit;
    entry->setObjectName("UnitSerial");
    entry->setPlaceholderText("scan or type");
    entry->setClearButtonEnabled(true);
    entry->setToolTip("The serial on the pager's label, recorded with its write; Enter writes the pager");
    entry->setFixedWidth(entry->fontMetrics().averageCharWidth() * kShownCharacters);
    auto* label = new QLabel("Unit serial");
    label->setBuddy(entry);
    layout->addWidget(label);
    layout->addWidget(entry);
    QObject::connect(entry, &QLineEdit::returnPressed, &bar, enter);

    auto* action = new QWidgetAction(&bar);
    action->setText("Unit serial");
    action->setDefaultWidget(box);
    const QList<QAction*> actions = bar.actions();
    const qsizetype at = actions.indexOf(after);
    bar.insertAction(at >= 0 && at + 1 < actions.size() ? actions[at + 1] : nullptr, action);
    return entry;
}

}  // namespace pagerprog::gui
