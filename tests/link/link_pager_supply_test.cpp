// The simulated technician of a hands-free batch: each pager goes out a second after its
// last write and the next goes in a second later, however seldom the socket is looked at.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "link/clock.h"
#include "link/sim/pager_supply.h"

namespace pagerprog {
namespace {

TEST(PagerSupply, ChangesPagersOnTimeHoweverSeldomAsked) {
    const std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) / "pager-supply";
    std::filesystem::create_directories(folder);
    for (const char* name : {"1.bin", "2.bin"}) {
        const Image image = SimulatedPager::factoryImage();
        std::ofstream(folder / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    }
    const struct {
        unsigned askedAfterMs;
        std::string inSocket;  // "" while empty
    } cases[] = {{500, "1.bin"}, {1500, ""}, {2500, "2.bin"}, {15000, "2.bin"}};
    for (const auto& c : cases) {
        SimulatedClock clock;
        SimulatedPager pager;
        PagerSupply supply(pager, clock, folder.string());
        supply.written();
        clock.sleepMillis(c.askedAfterMs);
        EXPECT_EQ(supply.pagerIn(), !c.inSocket.empty()) << c.askedAfterMs;
        EXPECT_EQ(supply.current(), c.inSocket.empty() ? "" : (folder / c.inSocket).string()) << c.askedAfterMs;
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace pagerprog
