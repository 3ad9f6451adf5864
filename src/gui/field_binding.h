// Carries the technician's actions on the field widgets to the settings model as the
// events the rules expect: change on typed text and picked items, click on toggled
// boxes, exit when the focus leaves a field, and every typed key through the field's
// key filter, which may discard or replace it. Focus moves the rules ask for are made
// without raising exit events, so two fields that both refuse their value cannot pull
// the focus back and forth.
#pragma once

#include <QObject>
#include <functional>
#include <unordered_map>

#include "gui/field_view.h"
#include "gui/window_events.h"

class QKeyEvent;
class QLineEdit;

namespace pagerprog::gui {

class FieldBinding : public QObject {
public:
    FieldBinding(SettingsModel& model, WindowEvents& events, QObject* parent);

    // The view must outlive the binding.
    void bind(const FieldView& view);

    // Runs a focus move of the program: the field losing the focus raises no exit.
    void moveFocusQuietly(const std::function<void()>& move);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectSignals(const FieldView& view);
    // Runs one model event for the field, then shows the field as the model has it.
    void userEvent(const FieldView& view, const std::function<void()>& event);
    bool keyPress(const FieldView& view, const QKeyEvent& key);
    void focusOut(const FieldView& view, Qt::FocusReason reason);
    // Types each character as if its key had been pressed (a paste).
    void typeText(const FieldView& view, const QString& text);
    // Puts what a key became into the field's line edit.
    void typeKey(const FieldView& view, const PassedKey& passed);

    SettingsModel& model_;
    WindowEvents& events_;
    std::unordered_map<QObject*, const FieldView*> views_;
    bool movingFocus_ = false;
};

}  // namespace pagerprog::gui
