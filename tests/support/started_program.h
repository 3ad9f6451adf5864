// A started program with a simulated pager on one path: the application, its pager commands
// and the link, as the window has them after start-up, the status log cleared.
#pragma once

#include <algorithm>
#include <string>

#include "app/document/application.h"
#include "app/pager/pager_commands.h"
#include "link/clock.h"
#include "link/pager_link.h"
#include "link/sim/simulated_devices.h"
#include "support/recording_host.h"

namespace pagerprog::testing {

struct StartedProgram {
    explicit StartedProgram(SimulatedDevices::Path path, char separator = '.') : devices(clock, path) {
        app.start(StartupOptions{separator, "/nonexistent"});
        link.hid().start();
        host.clear();
    }

    bool logged(const std::string& line) const {
        return std::find(host.logLines.begin(), host.logLines.end(), line) != host.logLines.end();
    }
    void breakPagerChecksum() { devices.pager.memory[0x100] ^= 0xFF; }
    Image& pager() { return devices.pager.memory; }

    RecordingHost host;
    Application app{host};
    SimulatedClock clock;
    SimulatedDevices devices;
    PagerLink link{devices.port, clock, devices.programmer};
    PagerCommands commands{app, link};
    SettingsModel& m = app.model();
};

}  // namespace pagerprog::testing
