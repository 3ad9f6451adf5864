// pagerprog-cli: the command-line companion. It drives the same settings, rules and
// menu commands as the window: start-up, "&Open", edits typed as a user types them,
// and "&Save".
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/data_folder.h"
#include "app/profiles.h"
#include "cli/cli_host.h"
#include "cli/field_edit.h"
#include "settings/error_handler.h"
#include "settings/settings_file.h"

namespace pagerprog::cli {
namespace {

constexpr int kOk = 0, kFailed = 1, kUsage = 2;

const char* kUsageText = R"(usage: pagerprog-cli [OPTIONS] COMMAND ...

Commands:
  show [FILE] [--states]          print every field as name=value in window order, after
                                  loading FILE as "&Open" does (no FILE: the start-up settings);
                                  --states adds <TAB>enabled=0|1<TAB>visible=0|1
  new -o OUT [FIELD=VALUE ...]    start as the window starts, apply the edits, save OUT as
                                  "&Save" does
  edit FILE -o OUT [FIELD=VALUE ...]
                                  the same after loading FILE as "&Open" does
  diff A B                        list the fields whose values differ (name: a -> b)

Options (before the command):
  --customer NAME     pick the customer after start-up, before any file is loaded
  --revision REV      TV7r2, TV7r3 or TV8: step the revision after start-up until reached
  --data-dir DIR      where the language files are
  --help              this text

Edits are typed as a technician types them: the field takes the focus, its text is
selected, VALUE is typed key by key through the field's key filter (a frequency is typed
as digits only: frequency=14655600), then the focus leaves. A choice takes an item text
or #N; a check box takes 1 or 0. An edit the window would not allow (disabled or hidden
field, a refused key, a VALUE longer than the field takes, a rule putting the focus back,
an error box) refuses the command.

Status-log lines go to standard error as "log: TEXT", beeps as "beep", message boxes as
"message: TEXT".

Exit status: 0 success; 1 the file was refused, an edit was refused, a message box was
shown, or the save failed (nothing is written to OUT then); 2 usage error.
)";

struct UsageError {
    std::string what;
};

struct Options {
    std::optional<std::string> customer;
    std::optional<std::string> revision;
    std::string dataDir;
    std::string command;
    std::vector<std::string> files;
    std::string out;
    bool states = false;
    std::vector<std::pair<std::string, std::string>> edits;
};

Options parse(int argc, char** argv) {
    Options o;
    o.dataDir = programDataFolder();
    int i = 1;
    auto next = [&](const std::string& option) -> std::string {
        if (i + 1 >= argc) throw UsageError{option + " needs a value"};
        return argv[++i];
    };
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--customer") o.customer = next(arg);
        else if (arg == "--revision") o.revision = next(arg);
        else if (arg == "--data-dir") o.dataDir = next(arg);
        else if (arg.rfind("--", 0) == 0) throw UsageError{"unknown option " + arg};
        else break;
    }
    if (i >= argc) throw UsageError{"no command"};
    o.command = argv[i++];
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-o") o.out = next(arg);
        else if (arg == "--states") o.states = true;
        else if (arg.rfind("--", 0) == 0) throw UsageError{"unknown option " + arg};
        else if (auto eq = arg.find('='); eq != std::string::npos && o.command != "diff" && o.command != "show")
            o.edits.emplace_back(arg.substr(0, eq), arg.substr(eq + 1));
        else o.files.push_back(arg);
    }
    const std::map<std::string, std::size_t> fileCounts{{"show", 1}, {"new", 0}, {"edit", 1}, {"diff", 2}};
    auto expected = fileCounts.find(o.command);
    if (expected == fileCounts.end()) throw UsageError{"unknown command " + o.command};
    const bool showWithoutFile = o.command == "show" && o.files.empty();
    if (o.files.size() != expected->second && !showWithoutFile) throw UsageError{"wrong number of files for " + o.command};
    const bool saves = o.command == "new" || o.command == "edit";
    if (saves && o.out.empty()) throw UsageError{o.command + " needs -o OUT"};
    if (!saves && !o.out.empty()) throw UsageError{"-o goes with new and edit"};
    if (o.states && o.command != "show") throw UsageError{"--states goes with show"};
    return o;
}

// A session of the program: started as the window starts, with the options applied.
class Session {
public:
    Session(const Options& options, std::ostream& err) : host_(err), app_(host_) {
        app_.start(StartupOptions{systemDecimalSeparator(), options.dataDir});
        if (options.customer) pickCustomer(*options.customer);
        if (options.revision) stepToRevision(*options.revision);
    }

    Application& app() { return app_; }
    CliHost& host() { return host_; }

    // "&Open" with FILE chosen in the dialog; false when the file was refused.
    bool open(const std::string& path) {
        host_.answerOpen(path);
        const int messages = host_.messageCount();
        bool loaded = false;
        runGuarded(host_, [&] { loaded = Open1(app_.context()); });
        return loaded && host_.messageCount() == messages;
    }

    // "&Save" with OUT chosen in the dialog; false when nothing was saved.
    bool save(const std::string& path) {
        host_.answerSave(path);
        bool saved = false;
        return runGuarded(host_, [&] { saved = Save1(app_.context()); }) && saved;
    }

private:
    void pickCustomer(const std::string& name) {
        const auto& items = app_.model().field("customer").items;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i] == name) {
                app_.model().userPick("customer", static_cast<int>(i));
                return;
            }
        }
        throw UsageError{"unknown customer " + name};
    }

    void stepToRevision(const std::string& name) {
        const std::map<std::string, int> revisions{{"TV7r2", 0}, {"TV7r3", 1}, {"TV8", 2}};
        auto it = revisions.find(name);
        if (it == revisions.end()) throw UsageError{"unknown revision " + name};
        while (app_.program().hardwareRevision != it->second) switch_modelClick(app_.context());
    }

    CliHost host_;
    Application app_;
};

std::string shownValue(const Field& field) {
    switch (field.spec->kind) {
        case FieldKind::Choice: return field.index < 0 ? "#-1" : field.text;
        case FieldKind::Flag: return field.checked ? "1" : "0";
        case FieldKind::Level: return std::to_string(field.level);
        default: return field.text;
    }
}

int show(Session& session, const Options& options) {
    if (!options.files.empty() && !session.open(options.files[0])) return kFailed;
    for (const auto& field : session.app().model().fields()) {
        std::cout << field.spec->name << '=' << shownValue(field);
        if (options.states) std::cout << "\tenabled=" << field.enabled << "\tvisible=" << field.visible;
        std::cout << '\n';
    }
    return kOk;
}

int editAndSave(Session& session, const Options& options) {
    if (options.command == "edit" && !session.open(options.files[0])) return kFailed;
    for (const auto& [field, value] : options.edits) {
        const EditResult result = applyFieldEdit(session.app(), session.host(), field, value);
        switch (result.outcome) {
            case EditOutcome::Applied: break;
            case EditOutcome::Refused: std::cerr << "refused: " << result.reason << '\n'; return kFailed;
            case EditOutcome::UnknownField:
            case EditOutcome::UnknownValue: throw UsageError{result.reason};
        }
    }
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
        std::cout << fa[i].spec->name << ": " << va << " -> " << vb << '\n';
    }
    return differ ? kFailed : kOk;
}

int run(int argc, char** argv) {
    try {
        for (int i = 1; i < argc; ++i) {
            if (std::string(argv[i]) == "--help") {
                std::cout << kUsageText;
                return kOk;
            }
        }
        const Options options = parse(argc, argv);
        if (options.command == "diff") return diff(options);
        Session session(options, std::cerr);
        if (session.host().messageCount() != 0) return kFailed;
        if (options.command == "show") return show(session, options);
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
