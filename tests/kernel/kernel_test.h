// What the backend tests on the fake kernel share: a fresh scene for every test, after
// checking that the fake kernel really stands in front of libc and libudev, and the
// pager's memory as an image.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>

#include "fake_kernel.h"
#include "link/sim/simulated_pager.h"
#include "link/transfer_engine.h"
#include "settings/eeprom_image.h"

namespace pagerprog::kernel_test {

class KernelTest : public ::testing::Test {
protected:
    void SetUp() override {
        static const bool interposed = fake_kernel_interposed() != 0;
        ASSERT_TRUE(interposed) << "the fake kernel must be preloaded (LD_PRELOAD), as ctest does";
        fake_kernel_reset();
    }
    void TearDown() override { fake_kernel_reset(); }
};

inline Image pagerMemory() {
    Image image{};
    std::copy_n(fake_pager_memory(), kImageSize, image.begin());
    return image;
}

// Writes a whole image through the rig's real backend, checks that the pager holds it
// after the verify, and reads it back.
template <typename Rig>
void writeVerifyAndReadBack(Rig& rig, unsigned seed) {
    const Image image = SimulatedPager::patternImage(seed);
    Image source = image;
    ASSERT_EQ(rig.transfer(kWriteMode, source), TransferResult::VerifyOk);
    EXPECT_EQ(pagerMemory(), image);
    Image readBack{};
    ASSERT_EQ(rig.transfer(kReadMode, readBack), TransferResult::ReadDone);
    EXPECT_EQ(readBack, image);
}

}  // namespace pagerprog::kernel_test
