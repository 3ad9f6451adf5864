// One programmer of a gang, with a program of its own: a copy of the batch's settings, its
// own pager commands and production record connection, and a link of its own, so that it
// works in a thread of its own beside the other programmers. It is set up on the front
// end's thread, then left to its thread.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "app/document/application.h"
#include "app/pager/pager_commands.h"
#include "app/record/record_location.h"
#include "link/port_name.h"

namespace pagerprog {

struct BusTiming;
class PagerLink;

class GangStation {
public:
    // `port` names the programmer: the USB programmer at a port path, or a parallel port.
    GangStation(Host& host, PagerLink& link, PortName port);
    GangStation(const GangStation&) = delete;
    GangStation& operator=(const GangStation&) = delete;

    // Starts as the window starts, takes `settings` (every field, the image and the program
    // state the writes follow) and the bus timing, opens the production record (none: the
    // station keeps nothing) and takes its programmer. Why it cannot work ("" when it can).
    std::string setUp(const StartupOptions& startup, const Context& settings, const BusTiming& timing,
                      const std::optional<RecordLocation>& record);

    // How the gang names it: the USB port path ("1-2.3", "sim2") or "lpt1".
    std::string name() const { return port_.name(); }
    // The USB programmer's serial string ("" on a parallel port or without one).
    std::string serial() const;
    Application& app() { return app_; }
    Context& context() { return app_.context(); }
    PagerCommands& commands() { return commands_; }
    PagerLink& link() { return link_; }

private:
    std::string takeProgrammer();

    PagerLink& link_;
    const PortName port_;
    Application app_;
    PagerCommands commands_;
};

// Makes `to` hold the settings `from` holds: every field and menu state, the image and
// the program state a write follows, but not which port or programmer `to` uses.
void copySettings(const Context& from, Context& to);

}  // namespace pagerprog
