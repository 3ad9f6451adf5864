// What the window program does between its command line and its main loop, shared with
// the window tests: the program's identity (for its settings and the desktop), its
// icon, and the start: start-up sequence, window shown, command-line file opened.
#pragma once

#include "gui/program_options.h"

namespace pagerprog::gui {

class WindowSession;

// The names the desktop and the user's settings know the program by, and its icon.
void setProgramIdentity();

// Runs the start-up sequence, shows the window centred and opens the settings file the
// command line named, through "&Open". False when an error escaped start-up.
bool startWindow(WindowSession& session, const ProgramOptions& options);

}  // namespace pagerprog::gui
