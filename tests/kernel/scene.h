// Everything the fake kernel emulates, for one test: the pager, the parallel port with its
// adapter, and the USB programmer with the sysfs that shows it. Also decides which paths
// the fake kernel answers for.
#pragma once

#include <cstdio>
#include <optional>

#include "fake_hidraw.h"
#include "fake_ppdev.h"
#include "link/clock.h"
#include "link/sim/simulated_pager.h"

namespace fake_kernel {

struct Scene {
    pagerprog::SimulatedPager pager;
    pagerprog::RealClock clock;
    FakePpdev parport{pager, clock};
    FakeProgrammer programmer{pager};
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
