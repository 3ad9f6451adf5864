#include "gui/field_view.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QStringList>

#include "gui/qt_text.h"

namespace pagerprog::gui {

namespace {

constexpr int kLevelMinimum = 1;
constexpr int kLevelMaximum = 100;
constexpr int kLevelWidth = 160;
constexpr int kMinimumTextChars = 3;
constexpr int kEditFrame = 10;  // frame and inner margins of a line edit, in pixels

// A field typed as text gets room for what it usually holds: its typed-character limit,
// or its initial text when it has none.
int textChars(const FieldSpec& def) {
    if (def.limit > 0) return def.limit;
    return std::max(static_cast<int>(def.text.size()), kMinimumTextChars);
}

QLineEdit* createLineEdit(const FieldSpec& def, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    // Digits are narrower than letters; one spare character keeps the cursor in view.
    const QChar sample = def.kind == FieldKind::Text ? QChar('A') : QChar('0');
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QString(textChars(def) + 1, sample)) + kEditFrame);
    edit->setReadOnly(def.kind == FieldKind::ReadOnlyText);
    return edit;
}

// A choice takes typing when its key filter lets any key through; otherwise only its
// items can be picked.
bool choiceTakesTyping(const FieldSpec& def) { return def.filter != KeyFilter::NoKey; }

QComboBox* createChoice(const FieldSpec& def, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    if (choiceTakesTyping(def)) {
        combo->setEditable(true);
        // Typed text is the field's text as typed: no completion, and Return adds no item.
        combo->setCompleter(nullptr);
        combo->setInsertPolicy(QComboBox::NoInsert);
        // As wide as the characters that may be typed, when they are few.
        if (def.limit > 0) {
            combo->setMinimumContentsLength(def.limit + 1);
            combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        }
    }
    if (def.dropDownRows > 0) combo->setMaxVisibleItems(def.dropDownRows);
    return combo;
}

QWidget* createEditor(const FieldSpec& def, QWidget* parent) {
    switch (def.kind) {
        case FieldKind::Text:
        case FieldKind::Digits:
        case FieldKind::ReadOnlyText: return createLineEdit(def, parent);
        case FieldKind::Choice: return createChoice(def, parent);
        case FieldKind::Flag: return new QCheckBox(fieldText(def.caption), parent);
        case FieldKind::Level: {
            auto* slider = new QSlider(Qt::Horizontal, parent);
            slider->setRange(kLevelMinimum, kLevelMaximum);
            slider->setMinimumWidth(kLevelWidth);
            return slider;
        }
    }
    return nullptr;
}

void showLineText(QLineEdit* edit, const QString& text) {
    // Rewriting an equal text would move the cursor while the technician types.
    if (edit->text() == text) return;
    edit->setText(text);
    // What the program computes is shown whole: a read-only field grows to its text.
    const int needed = edit->fontMetrics().horizontalAdvance(text + ' ') + kEditFrame;
    if (edit->isReadOnly() && edit->width() < needed) edit->setFixedWidth(needed);
}

void showChoice(QComboBox* combo, const Field& field) {
    QStringList items;
    for (const auto& item : field.items) items << fieldText(item);
    bool same = combo->count() == items.size();
    for (int i = 0; same && i < combo->count(); ++i) same = combo->itemText(i) == items[i];
    if (!same) {
        combo->clear();
        combo->addItems(items);
    }
    if (combo->currentIndex() != field.index) combo->setCurrentIndex(field.index);
    // With no item chosen the list still shows the field's text.
    if (combo->isEditable()) {
        showLineText(combo->lineEdit(), fieldText(field.text));
    } else {
        combo->setPlaceholderText(field.index < 0 ? fieldText(field.text) : QString());
    }
}

}  // namespace

FieldView createFieldView(const FieldSpec& def, QWidget* parent) {
    FieldView view;
    view.def = &def;
    view.editor = createEditor(def, parent);
    view.editor->setObjectName(QString::fromStdString(def.name));
    if (!def.hint.empty()) view.editor->setToolTip(fieldText(def.hint));
    if (!def.label.empty()) {
        view.label = new QLabel(fieldText(def.label), parent);
    }
    if (!def.unit.empty()) view.unit = new QLabel(fieldText(def.unit), parent);
    return view;
}

void showField(const FieldView& view, const Field& field) {
    const QSignalBlocker block(view.editor);
    if (auto* edit = qobject_cast<QLineEdit*>(view.editor)) {
        showLineText(edit, fieldText(field.text));
    } else if (auto* combo = qobject_cast<QComboBox*>(view.editor)) {
        const QSignalBlocker blockTyping(combo->lineEdit());
        showChoice(combo, field);
    } else if (auto* box = qobject_cast<QCheckBox*>(view.editor)) {
        box->setChecked(field.checked);
    } else if (auto* slider = qobject_cast<QSlider*>(view.editor)) {
        slider->setValue(field.level);
    }
    view.editor->setEnabled(field.enabled);
    view.editor->setVisible(field.visible);
    if (view.unit != nullptr) view.unit->setVisible(field.visible);
    if (view.label != nullptr) view.label->setVisible(field.labelVisible);
}

QLineEdit* typingEditor(const FieldView& view) {
    if (auto* edit = qobject_cast<QLineEdit*>(view.editor)) return edit;
    if (auto* combo = qobject_cast<QComboBox*>(view.editor)) return combo->lineEdit();
    return nullptr;
}

}  // namespace pagerprog::gui
