// A scene for a whole program run under the fake kernel: a test that starts pagerprog-cli
// with this library preloaded describes the machine in FAKE_KERNEL_SCENE, words separated
// by spaces:
//   programmer            the USB programmer plugged in, with unnumbered 64-byte reports
//   programmer-at=PORT    one more programmer, with a pager of its own, at USB port PORT
//   held=N                another program holds programmer N (0 the first) locked
//   parport               /dev/parport0 with the adapter
//   silent-from-chunk=N   the first programmer answers nothing from chunk request N on
//   unplug-at-chunk=N     the first programmer is pulled out at chunk request N
//   parport-vanish-after=N  /dev/parport0 is removed after N register accesses
// The pagers hold their factory image. Without the variable the machine is empty.
#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>

#include "fake_kernel.h"

namespace {

__attribute__((constructor)) void sceneFromEnvironment() {
    const char* scene = std::getenv("FAKE_KERNEL_SCENE");
    if (scene == nullptr) return;
    std::istringstream words(scene);
    int programmers = 0;
    for (std::string word; words >> word;) {
        if (word == "programmer") {
            fake_programmer_plug(0, 64, 1);
            programmers = std::max(programmers, 1);
        } else if (word.rfind("programmer-at=", 0) == 0) {
            fake_programmer_plug_into(programmers++, word.c_str() + 14, "");
        } else if (word.rfind("held=", 0) == 0) {
            fake_programmer_held_elsewhere(static_cast<int>(std::strtol(word.c_str() + 5, nullptr, 10)));
        } else if (word == "parport") {
            fake_parport_attach(1);
        } else if (word.rfind("silent-from-chunk=", 0) == 0) {
            fake_programmer_silent_from_chunk(std::strtol(word.c_str() + 18, nullptr, 10));
        } else if (word.rfind("unplug-at-chunk=", 0) == 0) {
            fake_programmer_unplug_at_chunk(std::strtol(word.c_str() + 16, nullptr, 10));
        } else if (word.rfind("parport-vanish-after=", 0) == 0) {
            fake_parport_vanish_after(std::strtol(word.c_str() + 21, nullptr, 10));
        } else {
            std::abort();  // a test asked for a machine this library does not build
        }
    }
}

}  // namespace
