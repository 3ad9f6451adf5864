// A folder of its own for each production record test's database files.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/record_sample.h"

namespace pagerprog::testing {

class RecordFolder : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = std::filesystem::temp_directory_path() / ("pagerprog_record_" + std::to_string(::getpid()) + "_" +
                                                           test->test_suite_name() + "_" + test->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        file = folder / "production.sqlite";
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::filesystem::path folder;
    std::filesystem::path file;
};

}  // namespace pagerprog::testing
