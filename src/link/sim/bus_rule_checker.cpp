#include "link/sim/bus_rule_checker.h"

#include <cstdio>

#include "link/clock.h"

namespace pagerprog {

namespace {

// Minimum times in nanoseconds, as NXP's I2C-bus standard UM10204 gives them (table 10).
// The data hold time has a minimum of 0 in both grades, so there is nothing to check.
struct MinimumTimes {
    std::int64_t hdSta, low, high, suSta, suDat, suSto, buf;
};
constexpr MinimumTimes kStandardMode{4000, 4700, 4000, 4700, 250, 4000, 4700};
constexpr MinimumTimes kFastMode{600, 1300, 600, 600, 100, 600, 1300};

}  // namespace

void BusRuleChecker::powerChanged(bool) {
    // A chip just powered knows nothing of the bus before.
    sclRise_ = sclFall_ = sdaChange_ = start_ = stop_ = Edge{};
    startInHighPhase_ = false;
    inTransfer_ = false;
    clockInByte_ = 0;
}

void BusRuleChecker::linesChanged(bool scl, bool sda) {
    const std::int64_t now = clock_.nowMicros() * 1000;
    const bool wasScl = scl_;
    const bool wasSda = sda_;
    scl_ = scl;
    sda_ = sda;
    if (scl && !wasScl) {
        sclRose(now);
    } else if (!scl && wasScl) {
        sclFell(now);
    } else if (sda != wasSda) {
        if (scl) condition(sda, now);
        sdaChange_ = {true, now};
    }
}

void BusRuleChecker::sclRose(std::int64_t now) {
    if (grade_) {
        const MinimumTimes& t = *grade_ == SpeedGrade::Standard ? kStandardMode : kFastMode;
        needAtLeast("tLOW", sclFall_, now, t.low);
        // The data set-up counts only for a data change in this low phase.
        if (sdaChange_.seen && (!sclFall_.seen || sdaChange_.atNs >= sclFall_.atNs))
            needAtLeast("tSU;DAT", sdaChange_, now, t.suDat);
    }
    sclRise_ = {true, now};
    if (inTransfer_) clockInByte_ = clockInByte_ % 9 + 1;
}

void BusRuleChecker::sclFell(std::int64_t now) {
    if (grade_) {
        const MinimumTimes& t = *grade_ == SpeedGrade::Standard ? kStandardMode : kFastMode;
        needAtLeast("tHIGH", sclRise_, now, t.high);
        if (startInHighPhase_) needAtLeast("tHD;STA", start_, now, t.hdSta);
    }
    startInHighPhase_ = false;
    sclFall_ = {true, now};
}

// A start or stop may only stand where a byte's first clock would be, or on an idle bus;
// anywhere else the chip loses its place in the byte.
void BusRuleChecker::condition(bool stop, std::int64_t now) {
    if (inTransfer_ && clockInByte_ > 1) {
        char text[96];
        std::snprintf(text, sizeof text, "SDA %s while SCL was high in clock %d of %s", stop ? "rose" : "fell",
                      clockInByte_, clockInByte_ == 9 ? "the acknowledge" : "a byte");
        flag(now, text);
    }
    if (grade_) {
        const MinimumTimes& t = *grade_ == SpeedGrade::Standard ? kStandardMode : kFastMode;
        if (stop) {
            needAtLeast("tSU;STO", sclRise_, now, t.suSto);
        } else {
            needAtLeast("tSU;STA", sclRise_, now, t.suSta);
            if (stop_.seen && (!sclFall_.seen || stop_.atNs > sclFall_.atNs)) needAtLeast("tBUF", stop_, now, t.buf);
        }
    }
    if (stop) {
        stop_ = {true, now};
        inTransfer_ = false;
    } else {
        start_ = {true, now};
        startInHighPhase_ = true;
        inTransfer_ = true;
    }
    clockInByte_ = 0;
}

void BusRuleChecker::needAtLeast(const char* name, const Edge& since, std::int64_t now, std::int64_t minimumNs) {
    if (!since.seen || now - since.atNs >= minimumNs) return;
    char text[96];
    std::snprintf(text, sizeof text, "%s %.3f us, below the %.3f us minimum", name,
                  static_cast<double>(now - since.atNs) / 1000, static_cast<double>(minimumNs) / 1000);
    flag(now, text);
}

void BusRuleChecker::flag(std::int64_t now, std::string what) { violations_.push_back({now / 1000, std::move(what)}); }

}  // namespace pagerprog
