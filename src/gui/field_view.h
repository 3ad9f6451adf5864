// The widgets of one field: its editor (a line edit, a choice list, a check box or a
// track bar, by the field's kind), the label before it and the text after it. Created
// from the field table; updated from the model with their signals blocked, so that a
// change made by the program never comes back as a user event.
#pragma once

#include <QLabel>
#include <QWidget>

#include "settings/settings_model.h"

class QLineEdit;

namespace pagerprog::gui {

struct FieldView {
    const FieldSpec* def = nullptr;
    QWidget* editor = nullptr;
    QLabel* label = nullptr;  // null when the field has none
    QLabel* unit = nullptr;   // null when nothing follows the field
};

FieldView createFieldView(const FieldSpec& def, QWidget* parent);

// Shows the field's value, item list, enabled and shown states.
void showField(const FieldView& view, const Field& field);

// The line edit the technician types into: the editor of a text field or of a choice
// that takes typing; null for the others.
QLineEdit* typingEditor(const FieldView& view);

}  // namespace pagerprog::gui
