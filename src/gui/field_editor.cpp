#include "gui/field_editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QStringList>
#include <algorithm>

#include "gui/qt_text.h"

namespace pagerprog::gui {

namespace {

constexpr int kLevelMinimum = 1;
constexpr int kLevelMaximum = 100;
constexpr int kLevelWidth = 160;
constexpr int kMinimumTextChars = 3;
constexpr int kEditFrame = 10;  // frame and inner margins of a line edit, in pixels

// Rewriting an equal text would move the cursor while the technician types.
void showLineText(QLineEdit& edit, const QString& text) {
    if (edit.text() != text) edit.setText(text);
}

class LineEditor : public FieldEditor {
public:
    LineEditor(const FieldDef& def, QWidget* parent) : edit_(new QLineEdit(parent)) {
        // Room for the characters the field takes, digits by their own width, text by the
        // font's average; one spare character keeps the cursor in view.
        const QFontMetrics metrics = edit_->fontMetrics();
        const int charWidth =
            def.kind == FieldKind::Text ? metrics.averageCharWidth() : metrics.horizontalAdvance(QChar('0'));
        edit_->setFixedWidth(charWidth * (textChars(def) + 1) + kEditFrame);
    }
    QWidget* widget() const override { return edit_; }
    QLineEdit* typing() const override { return edit_; }
    // A text the program puts in is shown whole: the field grows to it, and never shrinks
    // back, so the window does not jump while the technician types.
    void show(const Field& field) override {
        const QSignalBlocker block(edit_);
        showLineText(*edit_, fieldText(field.text));
        // Trailing blanks (the padding of hello lines) need no room to be seen.
        QString shown = edit_->text();
        while (shown.endsWith(' ')) shown.chop(1);
        const int needed = edit_->fontMetrics().horizontalAdvance(shown + ' ') + kEditFrame;
        if (edit_->width() < needed) edit_->setFixedWidth(needed);
    }
    void connectEvents(const EditorEvents& events) override {
        QObject::connect(edit_, &QLineEdit::textEdited, edit_,
                         [edited = events.edited](const QString& text) { edited(modelText(text)); });
    }

protected:
    // A field typed as text gets room for what it usually holds: its typed-character
    // limit, or its initial text when it has none.
    static int textChars(const FieldDef& def) {
        if (def.limit > 0) return def.limit;
        return std::max(static_cast<int>(def.text.size()), kMinimumTextChars);
    }

    QLineEdit* edit_;
};

// What the program computes is shown, never typed into.
class ReadOnlyEditor : public LineEditor {
public:
    ReadOnlyEditor(const FieldDef& def, QWidget* parent) : LineEditor(def, parent) { edit_->setReadOnly(true); }
    QLineEdit* typing() const override { return nullptr; }
    void connectEvents(const EditorEvents&) override {}
};

// A choice takes typing when its key filter lets any key through; otherwise only its
// items can be picked.
class ChoiceEditor : public FieldEditor {
public:
    ChoiceEditor(const FieldDef& def, QWidget* parent) : combo_(new QComboBox(parent)) {
        combo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        if (def.filter != KeyFilter::NoKey) {
            combo_->setEditable(true);
            // Typed text is the field's text as typed: no completion, and Return adds no item.
            combo_->setCompleter(nullptr);
            combo_->setInsertPolicy(QComboBox::NoInsert);
            // As wide as the characters that may be typed, when they are few.
            if (def.limit > 0) {
                combo_->setMinimumContentsLength(def.limit + 1);
                combo_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            }
        }
        if (def.dropDownRows > 0) combo_->setMaxVisibleItems(def.dropDownRows);
    }
    QWidget* widget() const override { return combo_; }
    QLineEdit* typing() const override { return combo_->lineEdit(); }
    void show(const Field& field) override {
        const QSignalBlocker block(combo_);
        const QSignalBlocker blockTyping(combo_->lineEdit());
        QStringList items;
        for (const auto& item : field.items) items << fieldText(item);
        bool same = combo_->count() == items.size();
        for (int i = 0; same && i < combo_->count(); ++i) same = combo_->itemText(i) == items[i];
        if (!same) {
            combo_->clear();
            combo_->addItems(items);
        }
        if (combo_->currentIndex() != field.index) combo_->setCurrentIndex(field.index);
        // With no item chosen the list still shows the field's text.
        if (combo_->isEditable()) {
            showLineText(*combo_->lineEdit(), fieldText(field.text));
        } else {
            combo_->setPlaceholderText(field.index < 0 ? fieldText(field.text) : QString());
        }
    }
    void connectEvents(const EditorEvents& events) override {
        QObject::connect(combo_, &QComboBox::activated, combo_, events.picked);
        if (combo_->isEditable()) {
            QObject::connect(combo_->lineEdit(), &QLineEdit::textEdited, combo_,
                             [edited = events.edited](const QString& text) { edited(modelText(text)); });
        }
    }

private:
    QComboBox* combo_;
};

class FlagEditor : public FieldEditor {
public:
    FlagEditor(const FieldDef& def, QWidget* parent) : box_(new QCheckBox(fieldText(def.caption), parent)) {}
    QWidget* widget() const override { return box_; }
    void show(const Field& field) override {
        const QSignalBlocker block(box_);
        box_->setChecked(field.checked);
    }
    void connectEvents(const EditorEvents& events) override {
        QObject::connect(box_, &QCheckBox::clicked, box_, [clicked = events.clicked] { clicked(); });
    }

private:
    QCheckBox* box_;
};

class LevelEditor : public FieldEditor {
public:
    explicit LevelEditor(QWidget* parent) : slider_(new QSlider(Qt::Horizontal, parent)) {
        slider_->setRange(kLevelMinimum, kLevelMaximum);
        slider_->setMinimumWidth(kLevelWidth);
    }
    QWidget* widget() const override { return slider_; }
    void show(const Field& field) override {
        const QSignalBlocker block(slider_);
        slider_->setValue(field.level);
    }
    void connectEvents(const EditorEvents& events) override {
        QObject::connect(slider_, &QSlider::valueChanged, slider_, events.moved);
    }

private:
    QSlider* slider_;
};

}  // namespace

std::unique_ptr<FieldEditor> createFieldEditor(const FieldDef& def, QWidget* parent) {
    switch (def.kind) {
        case FieldKind::Text:
        case FieldKind::Digits: return std::make_unique<LineEditor>(def, parent);
        case FieldKind::ReadOnlyText: return std::make_unique<ReadOnlyEditor>(def, parent);
        case FieldKind::Choice: return std::make_unique<ChoiceEditor>(def, parent);
        case FieldKind::Flag: return std::make_unique<FlagEditor>(def, parent);
        case FieldKind::Level: return std::make_unique<LevelEditor>(parent);
    }
    return nullptr;
}

}  // namespace pagerprog::gui
