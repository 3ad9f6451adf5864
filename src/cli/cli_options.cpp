#include "cli/cli_options.h"

#include <charconv>
#include <map>

namespace pagerprog::cli {

const char* const kUsageText = R"(usage: pagerprog-cli [OPTIONS] COMMAND ...

Commands:
  show [FILE] [--states]          print every field as name=value in window order, after
                                  loading FILE as "&Open" does (no FILE: the start-up settings);
                                  --states adds <TAB>enabled=0|1<TAB>visible=0|1
  new -o OUT [FIELD=VALUE ...]    start as the window starts, apply the edits, save OUT as
                                  "&Save" does
  edit FILE -o OUT [FIELD=VALUE ...]
                                  the same after loading FILE as "&Open" does
  diff A B                        list the fields whose values differ (name: a -> b)
  read -o OUT                     read a pager as "&RD_From_Pager" does, save OUT as "&Save" does
  write FILE [--count N] [FIELD=VALUE ...]
                                  load FILE as "&Open" does, apply the edits (autoinc1=8, say:
                                  the steps are not kept in settings files) and write it as
                                  "&WR_To_Pager" does; --count N programs N pagers in a row,
                                  waiting for Enter between them, the capcodes stepping on
                                  after each verified write; it stops at the first failure

Options (before the command):
  --customer NAME     pick the customer after start-up, before any file is loaded
  --revision REV      TV7r2, TV7r3 or TV8: step the revision after start-up until reached
  --data-dir DIR      where the language files are
  --port PORT         usb, lpt1 or lpt2 for read and write (default: the USB programmer when
                      one is attached, else LPT1)
  --simulate usb|lpt[:PAGERFILE]
                      read and write a simulated pager behind a simulated USB programmer or
                      parallel-port adapter; its EEPROM persists in PAGERFILE
  --version           the program's version
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
shown, the save failed (nothing is written to OUT then), or a pager read or write failed;
2 usage error.
)";

Options parseOptions(int argc, char** argv, const std::string& defaultDataDir) {
    Options o;
    o.dataDir = defaultDataDir;
    int i = 1;
    auto next = [&](const std::string& option) -> std::string {
        if (i + 1 >= argc) throw UsageError{option + " needs a value"};
        return argv[++i];
    };
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--customer")
            o.customer = next(arg);
        else if (arg == "--revision")
            o.revision = next(arg);
        else if (arg == "--data-dir")
            o.dataDir = next(arg);
        else if (arg == "--simulate")
            o.simulate = next(arg);
        else if (arg == "--port")
            o.port = next(arg);
        else if (arg.rfind("--", 0) == 0)
            throw UsageError{"unknown option " + arg};
        else
            break;
    }
    if (i >= argc) throw UsageError{"no command"};
    o.command = argv[i++];
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-o") {
            o.out = next(arg);
        } else if (arg == "--states") {
            o.states = true;
        } else if (arg == "--count") {
            const std::string text = next(arg);
            auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), o.count);
            if (ec != std::errc() || end != text.data() + text.size() || o.count < 1)
                throw UsageError{"--count takes a number of pagers"};
        } else if (arg.rfind("--", 0) == 0) {
            throw UsageError{"unknown option " + arg};
        } else if (auto eq = arg.find('=');
                   eq != std::string::npos && (o.command == "new" || o.command == "edit" || o.command == "write")) {
            o.edits.emplace_back(arg.substr(0, eq), arg.substr(eq + 1));
        } else {
            o.files.push_back(arg);
        }
    }
    const std::map<std::string, std::size_t> fileCounts{{"show", 1}, {"new", 0},  {"edit", 1},
                                                        {"diff", 2}, {"read", 0}, {"write", 1}};
    auto expected = fileCounts.find(o.command);
    if (expected == fileCounts.end()) throw UsageError{"unknown command " + o.command};
    const bool showWithoutFile = o.command == "show" && o.files.empty();
    if (o.files.size() != expected->second && !showWithoutFile)
        throw UsageError{"wrong number of files for " + o.command};
    const bool saves = o.command == "new" || o.command == "edit" || o.command == "read";
    if (saves && o.out.empty()) throw UsageError{o.command + " needs -o OUT"};
    if (!saves && !o.out.empty()) throw UsageError{"-o goes with new, edit and read"};
    if (o.states && o.command != "show") throw UsageError{"--states goes with show"};
    if (o.count != 1 && o.command != "write") throw UsageError{"--count goes with write"};
    if (o.port && *o.port != "usb" && *o.port != "lpt1" && *o.port != "lpt2")
        throw UsageError{"--port takes usb, lpt1 or lpt2"};
    if ((o.port || !o.simulate.empty()) && !o.usesPager())
        throw UsageError{"--port and --simulate go with read and write"};
    return o;
}

}  // namespace pagerprog::cli
