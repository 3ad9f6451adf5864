// pagerprog-cli: the command-line companion. It drives the same settings, rules, menu
// commands and pager link as the window: start-up, "&Open", edits typed as a user types
// them, "&Save", "&RD_From_Pager" and "&WR_To_Pager".
#include <iostream>
#include <string>

#include "app/data_folder.h"
#include "app/version.h"
#include "cli/cli_options.h"
#include "cli/field_edit.h"
#include "cli/session.h"

namespace pagerprog::cli {
namespace {

constexpr int kOk = 0, kFailed = 1, kUsage = 2;

std::string shownValue(const Field& field) {
    switch (field.def->kind) {
        case FieldKind::Choice: return field.index < 0 ? "#-1" : field.text;
        case FieldKind::Flag: return field.checked ? "1" : "0";
        case FieldKind::Level: return std::to_string(field.level);
        default: return field.text;
    }
}

int show(Session& session, const Options& options) {
    if (!options.files.empty() && !session.open(options.files[0])) return kFailed;
    for (const auto& field : session.app().model().fields()) {
        std::cout << field.def->name << '=' << shownValue(field);
        if (options.states) std::cout << "\tenabled=" << field.enabled << "\tvisible=" << field.visible;
        std::cout << '\n';
    }
    return kOk;
}

// False when an edit was refused; an edit not understood is a usage error.
bool applyEdits(Session& session, const Options& options) {
    for (const auto& [field, value] : options.edits) {
        const EditResult result = applyFieldEdit(session.app(), session.host(), field, value);
        switch (result.outcome) {
            case EditOutcome::Applied: break;
            case EditOutcome::Refused: std::cerr << "refused: " << result.reason << '\n'; return false;
            case EditOutcome::UnknownField:
            case EditOutcome::UnknownValue: throw UsageError{result.reason};
        }
    }
    return true;
}

int editAndSave(Session& session, const Options& options) {
    if (options.command == "edit" && !session.open(options.files[0])) return kFailed;
    if (!applyEdits(session, options)) return kFailed;
    return session.save(options.out) ? kOk : kFailed;
}

int diff(const Options& options) {
    Session a(options, std::cerr), b(options, std::cerr);
    if (!a.open(options.files[0]) || !b.open(options.files[1])) return kFailed;
    const auto& fa = a.app().model().fields();
    const auto& fb = b.app().model().fields();
    bool differ = false;
    for (std::size_t i = 0; i < fa.size(); ++i) {
        const std::string va = shownValue(fa[i]), vb = shownValue(fb[i]);
        if (va == vb) continue;
        differ = true;
        std::cout << fa[i].def->name << ": " << va << " -> " << vb << '\n';
    }
    return differ ? kFailed : kOk;
}

int read(Session& session, const Options& options) {
    return session.readPager() && session.save(options.out) ? kOk : kFailed;
}

// Programs pagers one after another; the capcodes step on after each verified write.
int write(Session& session, const Options& options) {
    if (!session.open(options.files[0]) || !applyEdits(session, options)) return kFailed;
    for (int pager = 1; pager <= options.count; ++pager) {
        if (pager > 1) {
            std::cerr << "Connect pager " << pager << " of " << options.count << " and press Enter" << std::endl;
            std::string line;
            if (!std::getline(std::cin, line)) return kFailed;
        }
        if (!session.writePager()) return kFailed;
    }
    return kOk;
}

int run(int argc, char** argv) {
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string argument = argv[i];
            if (argument == "--help") {
                std::cout << kUsageText;
                return kOk;
            }
            if (argument == "--version") {
                std::cout << "pagerprog-cli " << kProgramVersion << '\n';
                return kOk;
            }
            // Not in the usage: for the shell completions, every field name, one a line.
            if (argument == "--list-fields") {
                for (const FieldSpec& field : fieldTable()) std::cout << field.name << '\n';
                return kOk;
            }
        }
        const Options options = parseOptions(argc, argv, programDataFolder());
        if (options.command == "diff") return diff(options);
        Session session(options, std::cerr);
        if (session.host().messageCount() != 0) return kFailed;
        if (options.command == "show") return show(session, options);
        if (options.command == "read") return read(session, options);
        if (options.command == "write") return write(session, options);
        return editAndSave(session, options);
    } catch (const UsageError& error) {
        std::cerr << "pagerprog-cli: " << error.what << "\n\n" << kUsageText;
        return kUsage;
    } catch (const std::exception& error) {
        std::cerr << "pagerprog-cli: " << error.what() << '\n';
        return kFailed;
    }
}

}  // namespace
}  // namespace pagerprog::cli

int main(int argc, char** argv) { return pagerprog::cli::run(argc, argv); }
