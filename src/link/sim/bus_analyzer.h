// Decodes the simulated adapter's two-wire traffic from its line changes: start and
// stop conditions, and every byte with the level of its ninth (acknowledge) clock. The
// tests check exact bus traffic with it; it also helps when debugging the simulate mode.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pagerprog {

class SimulatedPort;

class BusAnalyzer {
public:
    struct Event {
        enum class Kind { Start, Stop, Byte } kind;
        std::uint8_t value = 0;
        bool acknowledged = false;
        bool operator==(const Event&) const = default;
    };

    explicit BusAnalyzer(SimulatedPort& port);

    std::vector<Event> events;
    // "S", "P", "A0+" (acknowledged) or "A1-" (not acknowledged) per event.
    static std::string text(const Event& event);

private:
    void linesChanged(bool scl, bool sda);
    void finishCondition(Event::Kind kind);

    bool scl_ = false;
    bool sda_ = true;
    bool sdaWhileHigh_ = true;  // the level SDA held while SCL was high
    bool inCondition_ = false;  // the next fall of SCL ends a start or stop, not a bit
    int bits_ = 0;
    unsigned shift_ = 0;
};

}  // namespace pagerprog
