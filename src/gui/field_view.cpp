#include "gui/field_view.h"

#include "gui/qt_text.h"

namespace pagerprog::gui {

FieldView createFieldView(const FieldDef& def, QWidget* parent) {
    FieldView view;
    view.def = &def;
    view.editor = createFieldEditor(def, parent);
    view.widget()->setObjectName(QString::fromStdString(def.name));
    if (!def.hint.empty()) view.widget()->setToolTip(fieldText(def.hint));
    if (!def.label.empty()) view.label = new QLabel(fieldText(def.label), parent);
    if (!def.unit.empty()) view.unit = new QLabel(fieldText(def.unit), parent);
    return view;
}

void showField(const FieldView& view, const Field& field) {
    view.editor->show(field);
    view.widget()->setEnabled(field.enabled);
    view.widget()->setVisible(field.visible);
    if (view.unit != nullptr) view.unit->setVisible(field.visible);
    if (view.label != nullptr) view.label->setVisible(field.labelVisible);
}

}  // namespace pagerprog::gui
