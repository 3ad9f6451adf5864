#include "link/clock.h"

#include <chrono>
#include <thread>

namespace pagerprog {

std::int64_t RealClock::nowMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void RealClock::busyWaitMicros(unsigned n) {
    using namespace std::chrono;
    const auto target = steady_clock::now() + microseconds(n);
    while (steady_clock::now() < target) {
    }
}

void RealClock::sleepMillis(unsigned n) { std::this_thread::sleep_for(std::chrono::milliseconds(n)); }

}  // namespace pagerprog
