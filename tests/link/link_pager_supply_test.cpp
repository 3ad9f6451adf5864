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

// Fails when an empty folder is refused though the batch's count says how many pagers to
// make, or when the made pagers are not factory-fresh or not taken in order.
TEST(PagerSupply, FillsAnEmptyFolderWithFactoryFreshPagers) {
    const std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) / "pager-supply-fresh";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    SimulatedClock clock;
    SimulatedPager pager;
    try {
        PagerSupply refused(pager, clock, folder.string());
        ADD_FAILURE() << "an empty folder without a count was taken";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("with --count N"), std::string::npos) << error.what();
    }
    PagerSupply supply(pager, clock, folder.string(), 12);
    EXPECT_EQ(supply.made(), 12);
    EXPECT_EQ(supply.current(), (folder / "pager-001.eep").string());
    EXPECT_EQ(pager.memory, SimulatedPager::factoryImage());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 12);
    PagerSupply again(pager, clock, folder.string(), 12);
    EXPECT_EQ(again.made(), 0) << "a folder with pagers is used as it is";
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace pagerprog
