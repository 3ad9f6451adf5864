// Programs pagers for the production record's crash test, as a batch run would record
// them: it goes on with batch 1 where it stopped, adds one unit after another with the
// pager's previous image, and prints each unit's row id once add() has returned, so that
// every printed id is a unit the record promised to keep. It runs until it is killed.
#include <cstdio>
#include <stdexcept>

#include "app/record/production_record.h"
#include "support/record_sample.h"

int main(int argc, char** argv) {
    using namespace pagerprog;
    if (argc != 2) {
        std::fprintf(stderr, "usage: record_crash_writer DATABASE\n");
        return 2;
    }
    try {
        ProductionRecord record(argv[1]);
        constexpr std::int64_t kBatch = 1;
        auto state = record.batchState(kBatch);
        if (!state) {
            if (record.startBatch({}) != kBatch) throw std::runtime_error("batch 1 was taken");
            state = record.batchState(kBatch);
        }
        // A bound, so that a writer the test failed to kill still ends.
        for (int unit = state->nextUnit; unit < state->nextUnit + 100000; ++unit) {
            UnitRecord u = testing::sampleUnit(unit, 1000000 + 64 * static_cast<std::uint32_t>(unit), kBatch);
            u.time.clear();
            Image previous;
            previous.fill(static_cast<std::uint8_t>(unit));
            u.previousImage = previous;
            std::printf("%lld\n", static_cast<long long>(record.add(u)));
            std::fflush(stdout);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "record_crash_writer: %s\n", error.what());
        return 1;
    }
    return 0;
}
