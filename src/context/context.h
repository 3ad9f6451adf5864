// What the rules, the image code and the workflows work on together: the outside world,
// the settings model and the program-wide state.
#pragma once

#include <string>

#include "context/edition.h"
#include "context/program_state.h"
#include "host/host.h"
#include "host/host_tap.h"
#include "settings/settings_model.h"

namespace pagerprog {

// What every rule, the image code and the workflows work on: the host, the settings
// record and the program-wide state. Focus requests of the rules reach the host. The host
// is reached through a tap, so that a pager operation can keep the lines it logged.
struct Context {
    explicit Context(Host& outside) : tap(outside), host(tap) {
        model.setFocusSink([this](const std::string& field) { this->host.requestFocus(field); });
    }
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    // A rejected input: one status-log line and the beep, in that order.
    void logAndBeep(const std::string& line) {
        host.log(line);
        host.beep();
    }

    HostTap tap;
    Host& host;
    SettingsModel model;
    ProgramState program;
};

}  // namespace pagerprog
