// Plugs a pager link into the application: the read and write menu commands, "&Exit",
// the bus timing track bars, the bus trace and acknowledge polling items, and the USB
// programmer's comings and goings.
#pragma once

#include "app/pager/pager_workflows.h"
#include "app/pager/programmer_presence.h"
#include "app/production/production.h"

namespace pagerprog {

class Application;
class PagerLink;

class PagerCommands {
public:
    // Create before Application::start, so that start-up's track-bar levels reach the timing.
    PagerCommands(Application& app, PagerLink& link);
    PagerCommands(const PagerCommands&) = delete;
    PagerCommands& operator=(const PagerCommands&) = delete;

    ProgrammerPresence& presence() { return presence_; }
    Production& production() { return production_; }
    PagerWorkflows& workflows() { return workflows_; }

private:
    ProgrammerPresence presence_;
    Production production_;
    PagerWorkflows workflows_;
};

}  // namespace pagerprog
