// The top-level error handler: an error escaping a window event is shown in a message
// box with its text and the program goes on.
#pragma once

#include <functional>

#include "host/host.h"

namespace pagerprog {

// Runs `action`; an exception escaping it is shown through host.messageBox with its
// text. Returns false when one was shown.
bool runGuarded(Host& host, const std::function<void()>& action);

}  // namespace pagerprog
