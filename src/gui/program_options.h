// The command line of `pagerprog`.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "link/port_name.h"

namespace pagerprog::gui {

struct ProgramOptions {
    // None for the real devices, else one word per simulated device: "usb" or "lpt"[:PAGERFILE|:FOLDER].
    std::vector<std::string> simulate;
    std::optional<PortName> port;           // the programmer or port to use
    std::optional<std::string> screenshot;  // save a picture of the window there, then end
    int screenshotDelayMs = 3000;
    std::optional<std::string> file;  // a settings file to open once started
    bool help = false;
    bool version = false;
};

class UsageError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

extern const char* const kUsageText;

// The arguments after the program name; Qt's own ("-platform offscreen", "--style=Fusion") are
// passed over, so that the command line is checked before the window system is needed.
ProgramOptions parseProgramOptions(const std::vector<std::string>& arguments);

}  // namespace pagerprog::gui
