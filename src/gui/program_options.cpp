#include "gui/program_options.h"

#include <algorithm>
#include <span>
#include <string_view>

namespace pagerprog::gui {

namespace {

// The window system's own arguments, which Qt takes out itself; written with one dash or two,
// and a value after them or after "=".
constexpr std::string_view kQtArgumentsWithValue[] = {
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "display",         "geometry",           "style",         "stylesheet"};
constexpr std::string_view kQtFlags[] = {"reverse", "widgetcount",   "nograb",  "dograb",
                                         "sync",    "qmljsdebugger", "dialogs", "fontengine"};

bool listed(std::string_view name, std::span<const std::string_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// How many arguments from `argument` on belong to Qt: 0, 1, or 2 for one with its value apart.
std::size_t qtArguments(std::string_view argument) {
    if (argument.size() < 2 || argument[0] != '-') return 0;
    argument.remove_prefix(argument.starts_with("--") ? 2 : 1);
    const auto equals = argument.find('=');
    if (equals != std::string_view::npos) {
        const std::string_view name = argument.substr(0, equals);
        return listed(name, kQtArgumentsWithValue) || listed(name, kQtFlags) ? 1 : 0;
    }
    if (listed(argument, kQtArgumentsWithValue)) return 2;
    return listed(argument, kQtFlags) ? 1 : 0;
}

}  // namespace

const char* const kUsageText =
    R"(usage: pagerprog [--simulate usb|lpt[:PAGERFILE|:FOLDER]]... [--port PORT] [--screenshot FILE [--delay MS]]
                 [SETTINGS.eep]

  SETTINGS.eep         open this settings file once the window has started, as "&Open" does
  --simulate usb|lpt   attach a simulated USB programmer or parallel-port adapter with a
                       simulated pager instead of the real devices; with :PAGERFILE the
                       pager's EEPROM is loaded from and kept in that file; with :FOLDER
                       each file in it is a pager, one after another. Given again, it adds
                       another: USB programmers at the ports sim1, sim2, ..., adapters at
                       LPT1, then LPT2
  --port PORT          usb (the first USB programmer no other program holds), usb@PORTPATH
                       (the USB programmer plugged into that USB port, as probe names it),
                       lpt1 or lpt2
  --screenshot FILE    save a picture of the window to FILE (PNG) after MS milliseconds
                       (default 3000), print where it went, and end
  --version            print the program's version
  --help               this text
)";

ProgramOptions parseProgramOptions(const std::vector<std::string>& arguments) {
    ProgramOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (const std::size_t qt = qtArguments(argument); qt > 0) {
            i += qt - 1;
            continue;
        }
        auto value = [&]() -> const std::string& {
            if (i + 1 >= arguments.size()) throw UsageError(argument + " needs a value");
            return arguments[++i];
        };
        if (argument == "--simulate") {
            options.simulate.push_back(value());
        } else if (argument == "--port") {
            const std::string& text = value();
            options.port = PortName::parse(text);
            if (!options.port) throw UsageError("--port takes usb, usb@PORTPATH, lpt1 or lpt2, not " + text);
        } else if (argument == "--screenshot") {
            options.screenshot = value();
        } else if (argument == "--delay") {
            const std::string& text = value();
            try {
                std::size_t used = 0;
                options.screenshotDelayMs = std::stoi(text, &used);
                if (used != text.size() || options.screenshotDelayMs < 0) throw UsageError("");
            } catch (const std::exception&) {
                throw UsageError("--delay takes milliseconds, not " + text);
            }
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument.rfind('-', 0) == 0 || options.file) {
            throw UsageError("unknown argument " + argument);
        } else {
            options.file = argument;
        }
    }
    return options;
}

}  // namespace pagerprog::gui
