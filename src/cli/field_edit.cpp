#include "cli/field_edit.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

#include "cli/escapes.h"
#include "cli/output.h"
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

bool sameButCase(const std::string& a, const std::string& b) {
    return std::ranges::equal(a, b,
                              [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

// A list that takes typing (autoinc1, say) gets VALUE typed through its key filter, as a
// user types it; a list without a filter of its own still picks one of its items, and
// "#N" always picks the item N.
bool typedIntoChoice(const Field& field, const std::string& value) {
    if (field.def->filter == KeyFilter::NoKey || value.starts_with('#')) return false;
    if (field.def->filter != KeyFilter::None) return true;
    return !matchingItem(field.items, value);
}

std::optional<int> itemIndex(const Field& field, const std::string& value) {
    if (!value.starts_with('#')) return matchingItem(field.items, value);
    auto index = wholeNumber(value.substr(1));
    if (index && *index >= 0 && *index < static_cast<int>(field.items.size())) return index;
    return std::nullopt;
}

// Types VALUE into a text field; an empty VALUE clears it.
std::string typeText(SettingsModel& model, const std::string& name, const std::string& value, char decimalSeparator) {
    model.selectAll(name);
    if (value.empty()) {
        if (!model.typeKey(name, kBackspace)) return "the key filter of " + name + " refused the clearing";
    }
    const bool frequency = model.field(name).def->filter == KeyFilter::Frequency;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char key = value[i];
        // The frequency filter puts the decimal mark in after the third digit itself: the
        // mark of a frequency as `show` prints it is that one, not a key of its own.
        if (frequency && i > 0 && key == decimalSeparator && model.text(name).ends_with(key)) continue;
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
                return escaped(value) + " is longer than the " + std::to_string(limit) + " characters " + name +
                       " takes";
            }
        }
    }
    return "";
}

EditResult typeEdit(Application& app, CliHost& host, const std::string& name, const std::string& value) {
    SettingsModel& model = app.model();
    if (!model.hasField(name)) return {EditOutcome::UnknownField, "unknown field " + name};
    const Field& field = model.field(name);
    const FieldKind kind = field.def->kind;
    const std::string shown = escaped(value);
    // The technician leaves a field alone that already shows the value.
    if (shownValue(app.context(), field) == shown) return {};

    std::optional<int> pick, level;
    const bool typed = kind == FieldKind::Choice && typedIntoChoice(field, value);
    if (kind == FieldKind::Choice && !typed) {
        pick = itemIndex(field, value);
        if (!pick) return {EditOutcome::UnknownValue, "no item " + shown + " in " + name};
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
                    refusal = typeText(model, name, value, app.program().decimalSeparator);
                else
                    model.userPick(name, *pick);
                break;
            case FieldKind::Flag:
                if (model.checked(name) != (value == "1")) model.userClick(name);
                break;
            case FieldKind::Level: model.userLevel(name, *level); break;
            default: refusal = typeText(model, name, value, app.program().decimalSeparator); break;
        }
        if (refusal.empty()) model.leave(name);
    });
    if (!refusal.empty()) return {EditOutcome::Refused, refusal};
    if (host.messageCount() != messagesBefore) return {EditOutcome::Refused, name + "=" + shown + " raised an error"};
    if (host.focusRequestCount() != focusBefore)
        return {EditOutcome::Refused, "the rules of " + name + " refused " + shown};
    return {};
}

}  // namespace

std::optional<int> matchingItem(const std::vector<std::string>& items, const std::string& value) {
    const auto exact = std::find(items.begin(), items.end(), value);
    if (exact != items.end()) return static_cast<int>(exact - items.begin());
    std::optional<int> match;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!sameButCase(items[i], value)) continue;
        if (match) return std::nullopt;
        match = static_cast<int>(i);
    }
    return match;
}

EditResult applyFieldEdit(Application& app, CliHost& host, const std::string& name, const std::string& value) {
    const EditResult result = typeEdit(app, host, name, value);
    host.console().stepEnded(result.outcome == EditOutcome::Applied);
    return result;
}

}  // namespace pagerprog::cli
