// The five waits of the parallel-port bus, held by the program for the process, and how
// a page write waits for the chip's write cycle.
#pragma once

namespace pagerprog {

struct BusTiming {
    unsigned busFreeMs = 6;     // sleep after the stop that ends a page write or a whole read
    unsigned sclHighUs = 1;     // busy wait after every rise of SCL
    unsigned sclLowUs = 1;      // busy wait after every fall of SCL
    unsigned sdaHoldUs = 30;    // busy wait after every change of SDA
    unsigned supplySettle = 1;  // units of 500 ms after raising the supply line
    // Off: a page write sleeps the bus-free time. On: it polls the chip's control byte
    // until the chip acknowledges again, for at most kAcknowledgePollLimitMs, then goes on.
    bool acknowledgePolling = false;
};

// A 24Cxx write cycle lasts 10 ms at most; a chip still silent after this is not coming back.
inline constexpr unsigned kAcknowledgePollLimitMs = 25;

}  // namespace pagerprog
