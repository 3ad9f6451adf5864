#include "link/sim/bus_analyzer.h"

#include <cstdio>

#include "link/sim/simulated_port.h"

namespace pagerprog {

BusAnalyzer::BusAnalyzer(SimulatedPort& port) {
    port.watchLines([this](bool scl, bool sda) { linesChanged(scl, sda); });
}

std::string BusAnalyzer::text(const Event& event) {
    switch (event.kind) {
        case Event::Kind::Start: return "S";
        case Event::Kind::Stop: return "P";
        case Event::Kind::Byte: break;
    }
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02X%c", event.value, event.acknowledged ? '+' : '-');
    return buffer;
}

void BusAnalyzer::finishCondition(Event::Kind kind) {
    // A byte whose acknowledge clock was cut short by the master releasing SDA (which,
    // with SCL high, is itself a stop) was not acknowledged.
    if (bits_ == 8) events.push_back({Event::Kind::Byte, static_cast<std::uint8_t>(shift_), false});
    events.push_back({kind});
    bits_ = 0;
    shift_ = 0;
    inCondition_ = true;
}

void BusAnalyzer::linesChanged(bool scl, bool sda) {
    const bool wasScl = scl_;
    const bool wasSda = sda_;
    scl_ = scl;
    sda_ = sda;
    if (scl && wasScl && sda != wasSda) {
        finishCondition(sda ? Event::Kind::Stop : Event::Kind::Start);
    } else if (!scl && wasScl) {
        if (inCondition_) {
            inCondition_ = false;
        } else if (bits_ < 8) {
            shift_ = (shift_ << 1) | (sdaWhileHigh_ ? 1u : 0u);
            ++bits_;
        } else {
            events.push_back({Event::Kind::Byte, static_cast<std::uint8_t>(shift_), !sdaWhileHigh_});
            bits_ = 0;
            shift_ = 0;
        }
    }
    if (scl) sdaWhileHigh_ = sda;
}

}  // namespace pagerprog
