#include "gui/program_options.h"

namespace pagerprog::gui {

const char* const kUsageText =
    R"(usage: pagerprog [--simulate usb|lpt[:PAGERFILE|:FOLDER]] [--screenshot FILE [--delay MS]] [SETTINGS.eep]

  SETTINGS.eep         open this settings file once the window has started, as "&Open" does
  --simulate usb|lpt   attach a simulated USB programmer or parallel-port adapter with a
                       simulated pager instead of the real devices; with :PAGERFILE the
                       pager's EEPROM is loaded from and kept in that file; with :FOLDER
                       each .bin file in it is a pager, one after another
  --screenshot FILE    save a picture of the window to FILE (PNG) after MS milliseconds
                       (default 3000), print where it went, and end
  --version            print the program's version
  --help               this text
)";

ProgramOptions parseProgramOptions(const std::vector<std::string>& arguments) {
    ProgramOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= arguments.size()) throw UsageError(argument + " needs a value");
            return arguments[++i];
        };
        if (argument == "--simulate") {
            options.simulate = value();
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
