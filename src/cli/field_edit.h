// Applies FIELD=VALUE the way a technician would in the window: the field takes the
// focus, its text is selected, VALUE is typed key by key through the field's filter,
// then the focus leaves. A choice is picked, a check box clicked.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/document/application.h"
#include "cli/cli_host.h"

namespace pagerprog::cli {

enum class EditOutcome { Applied, Refused, UnknownField, UnknownValue };

struct EditResult {
    EditOutcome outcome = EditOutcome::Applied;
    std::string reason;  // why it was refused or not understood
};

// VALUE as it would be typed (escapes already read). A field that already shows VALUE is
// left alone, as a technician leaves it: nothing is typed, picked or clicked, whether the
// window could have typed it or not (a disabled, hidden or read-only field, a choice with
// no item chosen, bytes no key types), so that every line of `show` goes back unchanged.
EditResult applyFieldEdit(Application& app, CliHost& host, const std::string& field, const std::string& value);

// The item a value names: the item of exactly that text, else the one item equal to it
// but for the case of its letters; nothing when none is, or more than one.
std::optional<int> matchingItem(const std::vector<std::string>& items, const std::string& value);

}  // namespace pagerprog::cli
