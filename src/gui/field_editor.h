// One editor per kind of field: a line edit for typed text, a choice list, a check box,
// a track bar, and read-only text. Each knows how to create its widget from the field
// table, how to show the field's value, and which of the widget's signals are the
// technician's edits.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "settings/settings_model.h"

class QLineEdit;

namespace pagerprog::gui {

// What the technician did to an editor, as the model's user events take it.
struct EditorEvents {
    std::function<void(const std::string& text)> edited;  // typed text (the whole new text)
    std::function<void(int index)> picked;                // an item of a list
    std::function<void()> clicked;                        // a check box toggled
    std::function<void(int level)> moved;                 // a track bar moved
};

class FieldEditor {
public:
    virtual ~FieldEditor() = default;

    virtual QWidget* widget() const = 0;
    // Shows the field's value (and item list) without raising any of the widget's signals.
    virtual void show(const Field& field) = 0;
    // Connects the widget's signals for the technician's edits to `events`.
    virtual void connectEvents(const EditorEvents& events) = 0;
    // The line edit the technician types into; null when the field takes no typing.
    virtual QLineEdit* typing() const { return nullptr; }
};

// The editor of the field's kind, as a child of `parent`.
std::unique_ptr<FieldEditor> createFieldEditor(const FieldDef& def, QWidget* parent);

}  // namespace pagerprog::gui
