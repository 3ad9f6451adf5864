#include "cli/field_edit.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "host/error_handler.h"

namespace pagerprog::cli {

namespace {

// Whether the window would let the user reach the field at all.
std::string unreachableReason(const SettingsModel& model, const Field& field) {
    const FieldDef& def = *field.def;
    if (!field.enabled) return def.name + " is disabled";
    if (!field.visible) return def.name + " is hidden";
    if (!model.element(def.tab).visible) return def.name + " is on a hidden tab";
    if (!def.group.empty() && !model.element(def.group).visible) return def.name + " is in a hidden group";
    if (def.kind == FieldKind::ReadOnlyText) return def.name + " is read-only";
    return "";
}

std::optional<int> wholeNumber(const std::string& text) {
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// A list that takes typing (autoinc1, say) gets VALUE typed through its key filter, as a
// user types it; a list without a filter of its own still picks one of its items, and
// "#N" always picks the item N.
bool typedIntoChoice(const Field& field, const std::string& value) {
    if (field.def->filter == KeyFilter::NoKey || value.rfind('#', 0) == 0) return false;
    if (field.def->filter != KeyFilter::None) return true;
    return std::find(field.items.begin(), field.items.end(), value) == field.items.end();
}

std::optional<int> itemIndex(const Field& field, const std::string& value) {
    if (!value.empty() && value[0] == '#') {
        auto index = wholeNumber(value.substr(1));
        if (index && *index >= 0 && *index < static_cast<int>(field.items.size())) return index;
        return std::nullopt;
    }
    for (std::size_t i = 0; i < field.items.size(); ++i)
        if (field.items[i] == value) return static_cast<int>(i);
    return std::nullopt;
}

// Types VALUE into a text field; an empty VALUE clears it.
std::string typeText(SettingsModel& model, const std::string& name, const std::string& value) {
    model.selectAll(name);
    if (value.empty()) {
        if (!model.typeKey(name, kBackspace)) return "the key filter of " + name + " refused the clearing";
    }
    for (char key : value) {
        KeyRefusal why{};
        if (model.typeKey(name, key, &why)) continue;
        switch (why) {
            case KeyRefusal::NotTypable: {
                char code[8];
                std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned char>(key));
                return name + " takes the characters 0x20 to 0x7E only, not the byte " + std::string(code);
            }
            case KeyRefusal::Filtered: return "the key filter of " + name + " refused '" + std::string(1, key) + "'";
            case KeyRefusal::Full: {
                const int limit = model.field(name).def->limit;
                return value + " is longer than the " + std::to_string(limit) + " characters " + name + " takes";
            }
        }
    }
    return "";
}

}  // namespace

EditResult applyFieldEdit(Application& app, CliHost& host, const std::string& name, const std::string& value) {
    SettingsModel& model = app.model();
    if (!model.hasField(name)) return {EditOutcome::UnknownField, "unknown field " + name};
    const Field& field = model.field(name);
    const FieldKind kind = field.def->kind;

    std::optional<int> pick, level;
    const bool typed = kind == FieldKind::Choice && typedIntoChoice(field, value);
    if (kind == FieldKind::Choice && !typed) {
        pick = itemIndex(field, value);
        if (!pick) return {EditOutcome::UnknownValue, "no item " + value + " in " + name};
    } else if (kind == FieldKind::Flag) {
        if (value != "0" && value != "1") return {EditOutcome::UnknownValue, name + " takes 1 or 0"};
    } else if (kind == FieldKind::Level) {
        level = wholeNumber(value);
        if (!level || *level < 1 || *level > 100) return {EditOutcome::UnknownValue, name + " takes 1 to 100"};
    }
    if (std::string why = unreachableReason(model, field); !why.empty()) return {EditOutcome::Refused, why};

    const int focusBefore = host.focusRequestCount();
    const int messagesBefore = host.messageCount();
    std::string refusal;
    runGuarded(host, [&] {
        switch (kind) {
            case FieldKind::Choice:
                if (typed)
                    refusal = typeText(model, name, value);
                else
                    model.userPick(name, *pick);
                break;
            case FieldKind::Flag:
                if (model.checked(name) != (value == "1")) model.userClick(name);
                break;
            case FieldKind::Level: model.userLevel(name, *level); break;
            default: refusal = typeText(model, name, value); break;
        }
        if (refusal.empty()) model.leave(name);
    });
    if (!refusal.empty()) return {EditOutcome::Refused, refusal};
    if (host.messageCount() != messagesBefore) return {EditOutcome::Refused, name + "=" + value + " raised an error"};
    if (host.focusRequestCount() != focusBefore)
        return {EditOutcome::Refused, "the rules of " + name + " refused " + value};
    return {};
}

}  // namespace pagerprog::cli
