// Everything the fake kernel emulates, for one test: the pager, the parallel port with its
// adapter, and the USB programmers with the sysfs that shows them. Also decides which
// paths the fake kernel answers for.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "fake_hidraw.h"
#include "fake_ppdev.h"
#include "link/clock.h"
#include "link/sim/simulated_pager.h"

namespace fake_kernel {

struct Scene {
    // The first programmer works on `pager`, as the adapter does; any other on a pager of its own.
    FakeProgrammer& programmer(int index);
    pagerprog::SimulatedPager& pagerOf(int index);
    // Plugs programmer `index` in, under the lowest hidraw minor no programmer has.
    void plug(int index, Plugging plugging);
    // The programmer whose node this is ("/dev/hidraw1"), if one is plugged in there.
    FakeProgrammer* programmerAt(const std::string& node);

    pagerprog::SimulatedPager pager;
    pagerprog::RealClock clock;
    FakePpdev parport{pager, clock};
    SysfsTree sysfs;
    int hidDevicesSinceBoot = 0;

private:
    struct Slot {
        std::unique_ptr<pagerprog::SimulatedPager> ownPager;
        std::unique_ptr<FakeProgrammer> programmer;
    };
    std::vector<Slot> slots_;
};

Scene& scene();
// Closes the files left open and starts an empty scene.
void resetScene();
const SysfsTree& currentSysfs();

// For a path the fake kernel answers for: a new descriptor, or -1 with errno set.
// Nothing for any other path.
std::optional<int> openOwnedPath(const char* path, int flags);
// The same through stdio, which only sysfs attribute files support here (device nodes give
// ENOTSUP: stdio would read them past the interposed read()).
std::optional<FILE*> fopenOwnedPath(const char* path, const char* mode);

}  // namespace fake_kernel
