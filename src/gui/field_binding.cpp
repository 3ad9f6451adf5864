#include "gui/field_binding.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <optional>

#include "gui/qt_text.h"

namespace pagerprog::gui {

namespace {

// What a key press means to the key filters.
struct TypedKey {
    enum class Kind { Editing, Ignored, Character } kind;
    char character = 0;
};

// Backspace and the printable 7-bit characters go through the filter; keys that edit or
// move (Delete, arrows, Return, shortcuts) go to the widget; any other character is
// dropped, since a pager field holds one 7-bit character per typed key.
TypedKey classify(const QKeyEvent& key) {
    using Kind = TypedKey::Kind;
    if (key.key() == Qt::Key_Backspace) return {Kind::Character, kBackspace};
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return {Kind::Editing};
    const QString text = key.text();
    if (text.isEmpty()) return {Kind::Editing};
    const char16_t first = text.front().unicode();
    if (text.size() == 1 && (first < 0x20 || first == 0x7f)) return {Kind::Editing};
    if (text.size() == 1 && first < 0x7f) return {Kind::Character, static_cast<char>(first)};
    return {Kind::Ignored};
}

// The exits the rules see: the technician moved on. A menu or list popping up, another
// window becoming active (a message box) or the window closing leave the field where it is.
bool leavesField(Qt::FocusReason reason) {
    switch (reason) {
        case Qt::MouseFocusReason:
        case Qt::TabFocusReason:
        case Qt::BacktabFocusReason:
        case Qt::ShortcutFocusReason:
        case Qt::OtherFocusReason: return true;
        default: return false;
    }
}

// What a typed key became, inserted as the edit field does it: it replaces the selection,
// and is refused when the field would hold more characters than may be typed.
void insertKeys(QLineEdit& edit, const std::string& keys, int limit) {
    const auto kept = edit.text().size() - edit.selectedText().size();
    if (limit > 0 && kept + static_cast<qsizetype>(keys.size()) > limit) return;
    edit.insert(fieldText(keys));
}

// The field has a line edit the technician may type into.
bool takesTyping(const FieldView& view) {
    const QLineEdit* typing = view.editor->typing();
    return typing != nullptr && !typing->isReadOnly();
}

}  // namespace

FieldBinding::FieldBinding(SettingsModel& model, WindowEvents& events, QObject* parent)
    : QObject(parent), model_(model), events_(events) {}

void FieldBinding::bind(const FieldView& view) {
    views_[view.widget()] = &view;
    view.widget()->installEventFilter(this);
    if (QLineEdit* typing = view.editor->typing()) {
        // Every character reaches the field through its key filter: no drops, no input
        // method, and pasting types the clipboard key by key.
        typing->setAcceptDrops(false);
        typing->setContextMenuPolicy(Qt::NoContextMenu);
        typing->setAttribute(Qt::WA_InputMethodEnabled, false);
        view.widget()->setAttribute(Qt::WA_InputMethodEnabled, false);
        if (typing != view.widget()) {
            views_[typing] = &view;
            typing->installEventFilter(this);
        }
    }
    connectSignals(view);
}

void FieldBinding::connectSignals(const FieldView& view) {
    const FieldView* v = &view;
    const std::string& name = view.def->name;
    view.editor->connectEvents(EditorEvents{
        [this, v, &name](const std::string& text) {
            userEvent(*v, [this, &name, text] { model_.userEdit(name, text); });
        },
        [this, v, &name](int index) { userEvent(*v, [this, &name, index] { model_.userPick(name, index); }); },
        [this, v, &name] { userEvent(*v, [this, &name] { model_.userClick(name); }); },
        [this, v, &name](int level) { userEvent(*v, [this, &name, level] { model_.userLevel(name, level); }); },
    });
}

void FieldBinding::userEvent(const FieldView& view, const std::function<void()>& event) {
    events_.runEvent(event);
    showField(view, model_.field(view.def->name));
}

void FieldBinding::moveFocusQuietly(const std::function<void()>& move) {
    movingFocus_ = true;
    move();
    movingFocus_ = false;
}

bool FieldBinding::eventFilter(QObject* watched, QEvent* event) {
    auto found = views_.find(watched);
    if (found == views_.end()) return false;
    const FieldView& view = *found->second;
    switch (event->type()) {
        case QEvent::KeyPress: return keyPress(view, static_cast<const QKeyEvent&>(*event));
        case QEvent::FocusOut:
            if (watched == view.widget()) focusOut(view, static_cast<const QFocusEvent&>(*event).reason());
            return false;
        case QEvent::MouseButtonRelease:
            // The middle button pastes the selection: it is typed through the filter too.
            if (static_cast<const QMouseEvent&>(*event).button() != Qt::MiddleButton || !takesTyping(view))
                return false;
            typeText(view, QApplication::clipboard()->text(QClipboard::Selection));
            return true;
        default: return false;
    }
}

bool FieldBinding::keyPress(const FieldView& view, const QKeyEvent& key) {
    // Check boxes and track bars have no key filter; read-only text takes no typing.
    const bool typable = takesTyping(view);
    if (!typable && view.def->kind != FieldKind::Choice) return false;
    if (typable && key.matches(QKeySequence::Paste)) {
        typeText(view, QApplication::clipboard()->text());
        return true;
    }
    const TypedKey typed = classify(key);
    if (typed.kind == TypedKey::Kind::Editing) return false;
    if (typed.kind == TypedKey::Kind::Ignored) return true;
    std::optional<PassedKey> passed;
    events_.runEvent([&] { passed = model_.key(view.def->name, typed.character); });
    // A choice that takes no typing has nowhere to put a key its filter lets through.
    if (!passed || !typable) return true;
    // A backspace the filter lets through is the widget's own to carry out.
    if (*passed == PassedKey(kBackspace) && typed.character == kBackspace) return false;
    typeKey(view, *passed);
    return true;
}

void FieldBinding::typeText(const FieldView& view, const QString& text) {
    for (QChar c : text) {
        const char16_t code = c.unicode();
        if (code < 0x20 || code >= 0x7f) continue;
        std::optional<PassedKey> passed;
        events_.runEvent([&] { passed = model_.key(view.def->name, static_cast<char>(code)); });
        if (passed) typeKey(view, *passed);
    }
}

void FieldBinding::typeKey(const FieldView& view, const PassedKey& passed) {
    QLineEdit* typing = view.editor->typing();
    if (passed == PassedKey(kBackspace)) {
        typing->backspace();
        return;
    }
    if (passed.atEnd) typing->end(false);
    insertKeys(*typing, passed.text, view.def->limit);
}

void FieldBinding::focusOut(const FieldView& view, Qt::FocusReason reason) {
    // A focus move made by the program, or while another event is being handled, is no
    // exit of the technician's.
    if (movingFocus_ || events_.busy() || !leavesField(reason)) return;
    userEvent(view, [this, &view] { model_.leave(view.def->name); });
}

}  // namespace pagerprog::gui
