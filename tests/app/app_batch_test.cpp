// A batch run by a station on a simulated programmer, and its production record failing
// between two pagers in the ways a shop floor sees.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <functional>

#include "app/pager/pager_workflows.h"
#include "app/production/batch_station.h"
#include "settings/image_layout.h"
#include "support/record_fixture.h"
#include "support/silent_front_end.h"
#include "support/started_program.h"

namespace pagerprog {
namespace {

using testing::StartedProgram;

// Writes every unit at once; `beforePager` runs before each pager but the first.
class Bench : public testing::SilentFrontEnd {
public:
    explicit Bench(StartedProgram& program) : program_(program) {}

    std::function<void()> beforePager = [] {};

    bool waitForPager(std::optional<int>, int position) override {
        if (position > 1) beforePager();
        return true;
    }
    PagerOutcome writePager() override {
        program_.app.menuCommand(element::writeToPager);
        return program_.commands.workflows().lastOutcome();
    }

private:
    StartedProgram& program_;
};

class BatchRecord : public testing::RecordFolder {};

// Fails when a batch writes a pager whose unit the record cannot keep: the record must
// account for every pager before it is touched.
TEST_F(BatchRecord, ARecordThatFailsBetweenPagersStopsTheBatchBeforeThePager) {
    sqlite3* other = nullptr;
    struct Case {
        const char* what;
        std::function<void(const std::filesystem::path&)> fail;
    };
    const Case cases[] = {
        {"locked by another program",
         [&](const std::filesystem::path& record) {
             ASSERT_EQ(sqlite3_open(record.c_str(), &other), SQLITE_OK);
             ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
         }},
        {"deleted", [](const std::filesystem::path& record) { std::filesystem::remove(record); }},
    };
    for (const Case& c : cases) {
        const std::filesystem::path record = folder / (std::string(c.what) + ".sqlite");
        StartedProgram program(SimulatedDevices::Path::UsbProgrammer);
        program.commands.production().open(record);
        program.m.setText(field::autoinc(1), "1");
        Batch batch({.base = shownAddresses(program.m), .steps = shownSteps(program.m)}, 3);
        Bench bench(program);
        bench.beforePager = [&] { c.fail(record); };
        BatchStation station(program.app.context(), program.commands.production(), batch, bench, false);

        EXPECT_EQ(station.run(), StationStop::RecordFailed) << c.what;
        const Batch::Figures figures = batch.figures();
        EXPECT_EQ(figures.verified, 1) << c.what;
        EXPECT_NE(figures.stopped.find("the production record could not account for unit 2"), std::string::npos)
            << c.what << ": " << figures.stopped;
        EXPECT_EQ(readCapcodeEight(program.pager(), 1).capcode, 2004000u) << c.what << ": unit 2 was written";
        sqlite3_close(other);
        other = nullptr;
    }
}

}  // namespace
}  // namespace pagerprog
