// The fixed series of steps that turns the built-in template into the first settings
// the technician sees: port state, template, separator, decode, edition, profiles,
// revision TV8, clocks, bus timing and the language file.
#pragma once

#include "context/context.h"

namespace pagerprog {

struct StartupOptions {
    char systemDecimalSeparator = '.';  // from the system's number format
    std::string dataFolder;             // where the language files are
};

// Runs once, while the main window is created, with the rules and profiles attached.
void runStartup(Context& ctx, const StartupOptions& options);

// The decimal mark of the user's number format ("," on a decimal-comma system).
char systemDecimalSeparator();

}  // namespace pagerprog
