// Applies FIELD=VALUE the way a technician would in the window: the field takes the
// focus, its text is selected, VALUE is typed key by key through the field's filter,
// then the focus leaves. A choice is picked, a check box clicked.
#pragma once

#include <string>

#include "app/document/application.h"
#include "cli/cli_host.h"

namespace pagerprog::cli {

enum class EditOutcome { Applied, Refused, UnknownField, UnknownValue };

struct EditResult {
    EditOutcome outcome = EditOutcome::Applied;
    std::string reason;  // why it was refused or not understood
};

EditResult applyFieldEdit(Application& app, CliHost& host, const std::string& field, const std::string& value);

}  // namespace pagerprog::cli
