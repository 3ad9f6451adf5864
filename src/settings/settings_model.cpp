#include "settings/settings_model.h"

#include <algorithm>
#include <stdexcept>

namespace pagerprog {

// Marks the dispatch of one event; the outermost one hands the first focus request
// of the whole chain to the focus sink when it ends, whether or not a rule failed.
class SettingsModel::EventScope {
public:
    explicit EventScope(SettingsModel& model) : model_(model) { ++model_.eventDepth_; }
    ~EventScope() {
        if (--model_.eventDepth_ == 0 && model_.pendingFocus_) {
            std::string target = std::move(*model_.pendingFocus_);
            model_.pendingFocus_.reset();
            if (model_.focusSink_) model_.focusSink_(target);
        }
    }
    EventScope(const EventScope&) = delete;
    EventScope& operator=(const EventScope&) = delete;

private:
    SettingsModel& model_;
};

SettingsModel::SettingsModel() {
    const auto& table = fieldTable();
    fields_.reserve(table.size());
    for (const auto& def : table) {
        Field f;
        f.def = &def;
        f.text = def.text;
        f.index = def.index;
        f.checked = def.checked;
        f.level = def.level;
        f.items = def.items;
        f.enabled = def.enabled;
        f.visible = def.visible;
        f.labelVisible = def.labelVisible;
        fieldIndex_.emplace(def.name, fields_.size());
        fields_.push_back(std::move(f));
    }
    handlers_.resize(fields_.size());
    for (const auto& def : elementTable()) {
        Element e;
        e.def = &def;
        e.caption = def.caption;
        e.enabled = def.enabled;
        e.visible = def.visible;
        e.checked = def.checked;
        elementIndex_.emplace(def.name, elements_.size());
        elements_.push_back(std::move(e));
    }
}

bool SettingsModel::hasField(std::string_view name) const { return fieldIndex_.count(name) != 0; }
bool SettingsModel::hasElement(std::string_view name) const { return elementIndex_.count(name) != 0; }

const Field& SettingsModel::field(std::string_view name) const {
    auto it = fieldIndex_.find(name);
    if (it == fieldIndex_.end()) throw std::out_of_range("no field named " + std::string(name));
    return fields_[it->second];
}

Field& SettingsModel::mutableField(std::string_view name) {
    return const_cast<Field&>(static_cast<const SettingsModel&>(*this).field(name));
}

const Element& SettingsModel::element(std::string_view name) const {
    auto it = elementIndex_.find(name);
    if (it == elementIndex_.end()) throw std::out_of_range("no window element named " + std::string(name));
    return elements_[it->second];
}

Element& SettingsModel::mutableElement(std::string_view name) {
    return const_cast<Element&>(static_cast<const SettingsModel&>(*this).element(name));
}

SettingsModel::Handlers& SettingsModel::handlers(std::string_view name) {
    auto it = fieldIndex_.find(name);
    if (it == fieldIndex_.end()) throw std::out_of_range("no field named " + std::string(name));
    return handlers_[it->second];
}

void SettingsModel::takeStateOf(const SettingsModel& other) {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (fields_[i] == other.fields_[i]) continue;
        fields_[i] = other.fields_[i];
        notify(fields_[i].def->name);
    }
    for (std::size_t i = 0; i < elements_.size(); ++i) {
        if (elements_[i] == other.elements_[i]) continue;
        elements_[i] = other.elements_[i];
        notify(elements_[i].def->name);
    }
}

void SettingsModel::notify(const std::string& name) {
    for (const auto& observer : observers_) observer(name);
}

void SettingsModel::run(const Handler& handler) {
    if (!handler) return;
    EventScope scope(*this);
    handler();
}

namespace {

bool isTextKind(FieldKind kind) {
    return kind == FieldKind::Text || kind == FieldKind::Digits || kind == FieldKind::ReadOnlyText;
}

int itemIndexOf(const Field& f, const std::string& text) {
    auto it = std::find(f.items.begin(), f.items.end(), text);
    return it == f.items.end() ? -1 : static_cast<int>(it - f.items.begin());
}

}  // namespace

void SettingsModel::setText(std::string_view name, const std::string& text) {
    Field& f = mutableField(name);
    if (f.def->kind == FieldKind::Choice) {
        // An editable list's text set by the program: like its item, it raises nothing.
        if (f.text == text) return;
        f.text = text;
        f.index = itemIndexOf(f, text);
        notify(f.def->name);
        return;
    }
    if (!isTextKind(f.def->kind)) throw std::logic_error(f.def->name + " holds no text");
    if (f.text == text) return;
    f.text = text;
    notify(f.def->name);
    fireChange(name);
}

void SettingsModel::setChecked(std::string_view name, bool checked) {
    Field& f = mutableField(name);
    if (f.def->kind != FieldKind::Flag) throw std::logic_error(f.def->name + " is not a check box");
    if (f.checked == checked) return;
    f.checked = checked;
    notify(f.def->name);
    fireClick(name);
}

void SettingsModel::setIndex(std::string_view name, int index) {
    Field& f = mutableField(name);
    if (f.def->kind != FieldKind::Choice) throw std::logic_error(f.def->name + " is not a choice");
    if (index < 0 || index >= static_cast<int>(f.items.size())) {
        f.index = -1;
        f.text.clear();
    } else {
        f.index = index;
        f.text = f.items[static_cast<std::size_t>(index)];
    }
    notify(f.def->name);
}

void SettingsModel::setLevel(std::string_view name, int level) {
    Field& f = mutableField(name);
    if (f.def->kind != FieldKind::Level) throw std::logic_error(f.def->name + " is not a level");
    level = std::clamp(level, 1, 100);
    if (f.level == level) return;
    f.level = level;
    notify(f.def->name);
    fireChange(name);
}

void SettingsModel::setEnabled(std::string_view name, bool enabled) {
    assign(mutableField(name), &Field::enabled, enabled);
}

void SettingsModel::setVisible(std::string_view name, bool visible) {
    assign(mutableField(name), &Field::visible, visible);
}

void SettingsModel::setLabelVisible(std::string_view name, bool visible) {
    assign(mutableField(name), &Field::labelVisible, visible);
}

void SettingsModel::setShown(std::string_view name, bool shown) {
    setVisible(name, shown);
    if (!field(name).def->label.empty()) setLabelVisible(name, shown);
}

void SettingsModel::deleteItem(std::string_view name, int position) {
    Field& f = mutableField(name);
    if (position < 0 || position >= static_cast<int>(f.items.size())) return;
    f.items.erase(f.items.begin() + position);
    if (f.index == position) {
        f.index = -1;
        f.text.clear();
    } else if (f.index > position) {
        --f.index;
    }
    notify(f.def->name);
}

void SettingsModel::insertItem(std::string_view name, int position, const std::string& item) {
    Field& f = mutableField(name);
    position = std::clamp(position, 0, static_cast<int>(f.items.size()));
    f.items.insert(f.items.begin() + position, item);
    if (f.index >= position) ++f.index;
    notify(f.def->name);
}

void SettingsModel::replaceItem(std::string_view name, int position, const std::string& item) {
    deleteItem(name, position);
    insertItem(name, position, item);
}

void SettingsModel::setElementVisible(std::string_view name, bool visible) {
    assign(mutableElement(name), &Element::visible, visible);
}

void SettingsModel::setElementEnabled(std::string_view name, bool enabled) {
    assign(mutableElement(name), &Element::enabled, enabled);
}

void SettingsModel::setElementChecked(std::string_view name, bool checked) {
    assign(mutableElement(name), &Element::checked, checked);
}

void SettingsModel::setElementCaption(std::string_view name, const std::string& caption) {
    assign(mutableElement(name), &Element::caption, caption);
}

void SettingsModel::userEdit(std::string_view name, const std::string& text) {
    Field& f = mutableField(name);
    if (f.def->kind == FieldKind::Choice) {
        if (f.text == text) return;
        f.text = text;
        f.index = itemIndexOf(f, text);
        notify(f.def->name);
        fireChange(name);
        return;
    }
    setText(name, text);
}

void SettingsModel::userPick(std::string_view name, int index) {
    Field& f = mutableField(name);
    if (f.def->kind != FieldKind::Choice) throw std::logic_error(f.def->name + " is not a choice");
    if (index < 0 || index >= static_cast<int>(f.items.size())) throw std::out_of_range("no such item");
    setIndex(name, index);
    fireChange(name);
}

void SettingsModel::userClick(std::string_view name) { setChecked(name, !checked(name)); }

void SettingsModel::userLevel(std::string_view name, int level) { setLevel(name, level); }

void SettingsModel::leave(std::string_view name) { fireExit(name); }

std::optional<PassedKey> SettingsModel::key(std::string_view name, char key) {
    const Handlers& h = handlers(name);
    if (!h.key) return key;
    EventScope scope(*this);
    return h.key(key);
}

void SettingsModel::selectAll(std::string_view name) { selectedAll_ = std::string(name); }

bool SettingsModel::typeKey(std::string_view name, char pressed, KeyRefusal* why) {
    const auto refuse = [why](KeyRefusal reason) {
        if (why != nullptr) *why = reason;
        return false;
    };
    if (!typableKey(pressed)) return refuse(KeyRefusal::NotTypable);
    const std::optional<PassedKey> passed = key(name, pressed);
    if (!passed) return refuse(KeyRefusal::Filtered);  // a discarded key leaves the selection as it was
    const bool replaceAll = selectedAll_ == name && !passed->atEnd;
    selectedAll_.clear();
    const Field& f = field(name);
    std::string text = replaceAll ? std::string() : f.text;
    if (passed->text == std::string(1, kBackspace)) {
        if (!text.empty()) text.pop_back();
    } else {
        const auto limit = static_cast<std::size_t>(f.def->limit);
        if (limit > 0 && text.size() + passed->text.size() > limit) return refuse(KeyRefusal::Full);
        text += passed->text;
    }
    userEdit(name, text);
    return true;
}

void SettingsModel::onChange(std::string_view name, Handler handler) { handlers(name).change = std::move(handler); }
void SettingsModel::onExit(std::string_view name, Handler handler) { handlers(name).exit = std::move(handler); }
void SettingsModel::onClick(std::string_view name, Handler handler) { handlers(name).click = std::move(handler); }
void SettingsModel::onKey(std::string_view name, KeyHandler handler) { handlers(name).key = std::move(handler); }

void SettingsModel::fireChange(std::string_view name) { run(handlers(name).change); }
void SettingsModel::fireExit(std::string_view name) { run(handlers(name).exit); }
void SettingsModel::fireClick(std::string_view name) { run(handlers(name).click); }

void SettingsModel::requestFocus(std::string_view field) {
    if (eventDepth_ == 0) {
        if (focusSink_) focusSink_(std::string(field));
        return;
    }
    if (!pendingFocus_) pendingFocus_ = std::string(field);
}

}  // namespace pagerprog
