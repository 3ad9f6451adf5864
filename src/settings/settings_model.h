// The settings record as a presentation model: every field of the window with its
// value, item list, enabled and shown state, plus the tabs, groups, menu items and
// title. The rules attach to its events; the window and the command-line tool drive
// the same events a user raises.
//
// Event chaining follows the window's edit controls:
//   - a text set from code raises the field's change event like a user edit, unless
//     the field already holds that text;
//   - a flag set from code raises its click event only when its state changes;
//   - a choice's item set from code raises nothing; a user pick raises change.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "settings/field_table.h"

namespace pagerprog {

struct Field {
    const FieldDef* def = nullptr;
    std::string text;  // what the field shows (a choice: its item's text, or typed text)
    int index = -1;    // a choice's item, -1 = none
    bool checked = false;
    int level = 0;
    std::vector<std::string> items;
    bool enabled = true;
    bool visible = true;
    bool labelVisible = true;
    bool operator==(const Field&) const = default;
};

struct Element {
    const ElementDef* def = nullptr;
    std::string caption;
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    bool operator==(const Element&) const = default;
};

// The character code of backspace, passed through the key filters like any key.
inline constexpr char kBackspace = 8;

// The characters a pager field holds, and so the keys typing passes to a field's filter:
// the printable ASCII characters 0x20 to 0x7E (the pager's character table), and backspace.
inline bool typableKey(char key) {
    const auto code = static_cast<unsigned char>(key);
    return key == kBackspace || (code >= 0x20 && code <= 0x7E);
}

// Why typing a key changed nothing.
enum class KeyRefusal { NotTypable, Filtered, Full };

// What a typed key becomes once its field's key filter lets it through: the characters
// to insert where it was typed (a key that passes as it is, backspace included, is just
// itself), or, with `atEnd`, characters appended to the whole text, dropping any
// selection (how the frequency filter puts the separator after the third digit).
struct PassedKey {
    PassedKey(char key) : text(1, key) {}  // NOLINT: a key passes as itself
    PassedKey(std::string text, bool atEnd) : text(std::move(text)), atEnd(atEnd) {}
    bool operator==(const PassedKey&) const = default;

    std::string text;
    bool atEnd = false;
};

class SettingsModel {
public:
    using Handler = std::function<void()>;
    // What the key becomes, or nothing to discard it.
    using KeyHandler = std::function<std::optional<PassedKey>(char)>;
    using Observer = std::function<void(const std::string& name)>;
    using FocusSink = std::function<void(const std::string& field)>;

    SettingsModel();
    SettingsModel(const SettingsModel&) = delete;
    SettingsModel& operator=(const SettingsModel&) = delete;

    // Fields in table order, and by name (throws std::out_of_range for an unknown name).
    const std::vector<Field>& fields() const { return fields_; }
    bool hasField(std::string_view name) const;
    const Field& field(std::string_view name) const;
    const std::vector<Element>& elements() const { return elements_; }
    bool hasElement(std::string_view name) const;
    const Element& element(std::string_view name) const;

    // Values.
    const std::string& text(std::string_view name) const { return field(name).text; }
    int index(std::string_view name) const { return field(name).index; }
    bool checked(std::string_view name) const { return field(name).checked; }
    int level(std::string_view name) const { return field(name).level; }
    bool enabled(std::string_view name) const { return field(name).enabled; }
    bool visible(std::string_view name) const { return field(name).visible; }

    // Changes made by the program.
    void setText(std::string_view name, const std::string& text);  // change event if it differs
    void setChecked(std::string_view name, bool checked);          // click event if it changes
    void setIndex(std::string_view name, int index);               // no event; out of list = none chosen
    void setLevel(std::string_view name, int level);               // change event if it differs
    void setEnabled(std::string_view name, bool enabled);
    void setVisible(std::string_view name, bool visible);
    void setLabelVisible(std::string_view name, bool visible);
    // Shows or hides a field together with its label.
    void setShown(std::string_view name, bool shown);

    // Item lists. Deleting the chosen item leaves no item chosen; later items shift.
    void deleteItem(std::string_view name, int position);  // no effect past the end
    void insertItem(std::string_view name, int position, const std::string& item);
    void replaceItem(std::string_view name, int position, const std::string& item);

    // Tabs, groups, menus and the window title.
    void setElementVisible(std::string_view name, bool visible);
    void setElementEnabled(std::string_view name, bool enabled);
    void setElementChecked(std::string_view name, bool checked);
    void setElementCaption(std::string_view name, const std::string& caption);
    const std::string& title() const { return element(element::window).caption; }
    void setTitle(const std::string& title) { setElementCaption(element::window, title); }

    // Events a user raises.
    void userEdit(std::string_view name, const std::string& text);  // typed text; change event
    void userPick(std::string_view name, int index);                // picked item; change event
    void userClick(std::string_view name);                          // toggles a flag; click event
    void userLevel(std::string_view name, int level);               // moved a track bar; change event
    void leave(std::string_view name);                              // focus leaves; exit event
    // Runs the field's key filter: what the key becomes, or nothing when discarded.
    std::optional<PassedKey> key(std::string_view name, char key);
    // Types one key as an edit field does: a key no pager field holds is dropped, the
    // others go through the filter, and what they became is inserted at the end (or
    // replaces the whole text after selectAll), honouring the typed-character limit; a
    // backspace removes the last character. False when the key changed nothing; `why`
    // then says why.
    bool typeKey(std::string_view name, char key, KeyRefusal* why = nullptr);
    void selectAll(std::string_view name);

    // Attaching the rules (one handler per field and event).
    void onChange(std::string_view name, Handler handler);
    void onExit(std::string_view name, Handler handler);
    void onClick(std::string_view name, Handler handler);
    void onKey(std::string_view name, KeyHandler handler);

    // Running a field's rule directly, as other rules and the image code do.
    void fireChange(std::string_view name);
    void fireExit(std::string_view name);
    void fireClick(std::string_view name);

    // Focus requests of the rules. Within one event (the outermost change, exit, click or
    // key being handled) the first request wins and is passed on when that event ends;
    // later requests in the same event are dropped, so rules that fail in a chain cannot
    // pull the focus back and forth.
    void requestFocus(std::string_view field);
    void setFocusSink(FocusSink sink) { focusSink_ = std::move(sink); }

    // Takes every field's and element's state from `other` as it stands, running no rule:
    // the rules have run there already. Observers hear of each field and element that changed.
    void takeStateOf(const SettingsModel& other);

    // Observers learn the name of every field or element whose state changed.
    void addObserver(Observer observer) { observers_.push_back(std::move(observer)); }

private:
    struct Handlers {
        Handler change, exit, click;
        KeyHandler key;
    };
    class EventScope;

    Field& mutableField(std::string_view name);
    Element& mutableElement(std::string_view name);
    Handlers& handlers(std::string_view name);
    void notify(const std::string& name);
    // Stores a shown state and tells the observers, only when it changes.
    template <typename Owner, typename Value>
    void assign(Owner& owner, Value Owner::*member, const Value& value) {
        if (owner.*member == value) return;
        owner.*member = value;
        notify(owner.def->name);
    }
    void run(const Handler& handler);

    std::vector<Field> fields_;
    std::vector<Element> elements_;
    std::unordered_map<std::string_view, std::size_t> fieldIndex_;
    std::unordered_map<std::string_view, std::size_t> elementIndex_;
    std::vector<Handlers> handlers_;  // parallel to fields_
    std::vector<Observer> observers_;
    FocusSink focusSink_;
    int eventDepth_ = 0;
    std::optional<std::string> pendingFocus_;
    std::string selectedAll_;  // the field whose whole text the next typed key replaces
};

}  // namespace pagerprog
