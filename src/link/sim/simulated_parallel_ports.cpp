#include "link/sim/simulated_parallel_ports.h"

namespace pagerprog {

std::optional<std::string> SimulatedParallelPorts::claim(std::uint16_t base) {
    const auto standing = adapters_.find(base);
    current_ = standing == adapters_.end() ? &empty_ : standing->second;
    return current_->claim(base);
}

void SimulatedParallelPorts::shutDown() {
    for (const auto& [base, adapter] : adapters_) adapter->shutDown();
    empty_.shutDown();
}

}  // namespace pagerprog
