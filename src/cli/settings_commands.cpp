#include "cli/settings_commands.h"

#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/exit_status.h"
#include "cli/field_edit.h"
#include "cli/output.h"

namespace pagerprog::cli {

using namespace exit_status;

bool promptsAreTheWindows(Session& session, const Options& options) {
    if (!session.languageFileMissing() || options.allowDefaultPrompts) return true;
    session.console().error(
        "refused: the language file is missing, so the image would carry other prompt texts than the window's; "
        "install it (or give --data-dir DIR), or give --allow-default-prompts");
    return false;
}

int show(Session& session, const Options& options) {
    if (!options.files.empty() && !session.open(options.files[0])) return kRefused;
    const auto& fields = session.app().model().fields();
    if (options.json) {
        Json shown = Json::object();
        for (const Field& field : fields) {
            Json value = jsonValue(session.app().context(), field);
            if (options.states) value = {{"value", value}, {"enabled", field.enabled}, {"visible", field.visible}};
            shown[field.def->name] = std::move(value);
        }
        std::cout << jsonLines(shown, JsonSpacing::Spaced) << '\n';
        return kOk;
    }
    for (const auto& field : fields) {
        std::cout << field.def->name << '=' << shownValue(session.app().context(), field);
        if (options.states) std::cout << "\tenabled=" << field.enabled << "\tvisible=" << field.visible;
        std::cout << '\n';
    }
    return kOk;
}

bool applyEdits(Session& session, const FieldEdits& edits) {
    for (const auto& [field, value] : edits) {
        const EditResult result = applyFieldEdit(session.app(), session.host(), field, value);
        switch (result.outcome) {
            case EditOutcome::Applied: break;
            case EditOutcome::Refused: session.console().error("refused: " + result.reason); return false;
            case EditOutcome::UnknownField:
            case EditOutcome::UnknownValue: throw UsageError(result.reason);
        }
    }
    return true;
}

int editAndSave(Session& session, const Options& options) {
    if (!promptsAreTheWindows(session, options)) return kRefused;
    if (!options.files.empty() && !session.open(options.files[0])) return kRefused;
    if (!applyEdits(session, options.edits)) return kRefused;
    return session.save(options.out) ? kOk : kRefused;
}

int diff(const Options& options, Console& console) {
    Session a(options, console), b(options, console);
    if (!a.open(options.files[0]) || !b.open(options.files[1])) return kTrouble;
    const auto& fa = a.app().model().fields();
    const auto& fb = b.app().model().fields();
    bool differ = false;
    Json differences = Json::array();
    for (std::size_t i = 0; i < fa.size(); ++i) {
        const std::string shownA = shownValue(a.app().context(), fa[i]);
        const std::string shownB = shownValue(b.app().context(), fb[i]);
        if (shownA == shownB) continue;
        differ = true;
        if (options.json) {
            differences.push_back({{"field", fa[i].def->name},
                                   {"a", jsonValue(a.app().context(), fa[i])},
                                   {"b", jsonValue(b.app().context(), fb[i])}});
        } else {
            std::cout << fa[i].def->name << ": " << shownA << " -> " << shownB << '\n';
        }
    }
    if (options.json) std::cout << jsonLines(differences, JsonSpacing::Spaced) << '\n';
    return differ ? kDifferent : kEqual;
}

}  // namespace pagerprog::cli
