#include "gui/unit_serial_entry.h"

#include <QHBoxLayout>
#include <QLabel>

namespace pagerprog::gui {

namespace {
constexpr int kShownCharacters = 18;  // a label's serial, with room to spare
}

QLineEdit* addUnitSerialEntry(QMenuBar& bar, const std::function<void()>& enter) {
    auto* box = new QWidget;
    box->setObjectName("UnitSerialBox");
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(6, 1, 6, 1);
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
    bar.setCornerWidget(box, Qt::TopRightCorner);
    return entry;
}

}  // namespace pagerprog::gui
