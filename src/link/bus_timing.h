// The five waits of the parallel-port bus, held by the program for the process.
#pragma once

namespace pagerprog {

struct BusTiming {
    unsigned busFreeMs = 6;     // sleep after the stop that ends a page write or a whole read
    unsigned sclHighUs = 1;     // busy wait after every rise of SCL
    unsigned sclLowUs = 1;      // busy wait after every fall of SCL
    unsigned sdaHoldUs = 30;    // busy wait after every change of SDA
    unsigned supplySettle = 1;  // units of 500 ms after raising the supply line
};

}  // namespace pagerprog
