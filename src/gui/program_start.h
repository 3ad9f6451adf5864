// What the window program does between its command line and its main loop, shared with
// the window tests: the program's identity (for its settings and the desktop), its
// icon, and the start: start-up sequence, window shown, then the rest of the session and
// the command-line file.
#pragma once

#include <functional>

#include "gui/program_options.h"

class QWidget;

namespace pagerprog::gui {

class WindowSession;

// The names the desktop and the user's settings know the program by.
void setProgramIdentity();

// Runs `then` once, as soon as `window` has drawn its first frame.
void afterFirstFrame(QWidget& window, std::function<void()> then);

// Runs the start-up sequence and shows the window centred; once its first frame is on the
// screen, the rest of the session starts (see WindowSession::finishStart), the program's
// icon is set and the settings file the command line named is opened through "&Open".
// False when an error escaped start-up.
bool startWindow(WindowSession& session, const ProgramOptions& options);

}  // namespace pagerprog::gui
