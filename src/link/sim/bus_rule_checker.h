// What a strict two-wire chip notices about the master's traffic: SDA changing while SCL
// is high anywhere but where a start or stop may stand (before the first clock of a
// byte, or on an idle bus), and, for a chosen speed grade, every minimum time of the
// I2C-bus standard (NXP UM10204) that the master cut short. Each violation is kept with
// its time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pagerprog {

class Clock;

// Standard mode (100 kHz) and fast mode (400 kHz).
enum class SpeedGrade { Standard, Fast };

struct BusViolation {
    std::int64_t atMicros = 0;  // on the chip's clock
    std::string what;
};

class BusRuleChecker {
public:
    explicit BusRuleChecker(Clock& clock) : clock_(clock) {}

    // From now on also checks the minimum times of this grade.
    void checkTiming(SpeedGrade grade) { grade_ = grade; }

    void powerChanged(bool on);
    // Every line state the chip sees, changed or not.
    void linesChanged(bool scl, bool sda);

    const std::vector<BusViolation>& violations() const { return violations_; }

private:
    struct Edge {
        bool seen = false;
        std::int64_t atNs = 0;
    };

    void sclRose(std::int64_t now);
    void sclFell(std::int64_t now);
    void condition(bool stop, std::int64_t now);
    // Records a violation when `since` was seen and less than `minimumNs` ago.
    void needAtLeast(const char* name, const Edge& since, std::int64_t now, std::int64_t minimumNs);
    void flag(std::int64_t now, std::string what);

    Clock& clock_;
    std::optional<SpeedGrade> grade_;
    std::vector<BusViolation> violations_;

    bool scl_ = false;
    bool sda_ = false;
    Edge sclRise_, sclFall_, sdaChange_, start_, stop_;
    bool startInHighPhase_ = false;
    bool inTransfer_ = false;  // a start came and no stop since
    int clockInByte_ = 0;      // 1..9: the clock pulse of the byte under way (9: acknowledge)
};

}  // namespace pagerprog
