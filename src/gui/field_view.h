// The widgets of one field: its editor (by the field's kind), the label before it and
// the text after it. Created from the field table; updated from the model with their
// signals blocked, so that a change made by the program never comes back as a user event.
#pragma once

#include <QLabel>
#include <memory>

#include "gui/field_editor.h"

namespace pagerprog::gui {

struct FieldView {
    const FieldDef* def = nullptr;
    std::unique_ptr<FieldEditor> editor;
    QLabel* label = nullptr;  // null when the field has none
    QLabel* unit = nullptr;   // null when nothing follows the field

    QWidget* widget() const { return editor->widget(); }
};

FieldView createFieldView(const FieldDef& def, QWidget* parent);

// Shows the field's value, item list, enabled and shown states.
void showField(const FieldView& view, const Field& field);

}  // namespace pagerprog::gui
