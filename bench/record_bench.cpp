// The production record against its targets, each figure also as a ratio to its target
// (under 1 is within): the time add() adds to a unit with each PRAGMA synchronous choice,
// the bytes a unit costs on disk, and capcode queries over a full day's record.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>

#include "app/record/production_record.h"

namespace pagerprog {
namespace {

constexpr double kUnitMsTarget = 5;
constexpr double kUnitBytesTarget = 10 * 1024;
constexpr double kQueryMsTarget = 50;
constexpr int kDayUnits = 10000;

using Clock = std::chrono::steady_clock;

double millisSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A verified write as the window records it: eight capcodes stepping on by 8 per unit,
// the usual status-log lines and the pager's previous image.
UnitRecord typicalUnit(int n, std::int64_t batch) {
    UnitRecord u;
    u.operation = Operation::Write;
    u.programVersion = "0.1";
    u.user = "technician";
    u.host = "bench-3";
    u.port = "/dev/hidraw2";
    u.vidPid = "0483:5750";
    u.settingsPath = "/home/technician/runs/customer-42/batch.eep";
    u.settingsSha256 = "5f1d7a3e0c4b9a8e7d6c5b4a39281706f5e4d3c2b1a09f8e7d6c5b4a39281706";
    u.imageSha256 = "0c4b9a8e7d6c5b4a39281706f5e4d3c2b1a09f8e7d6c5b4a392817065f1d7a3e";
    for (std::size_t slot = 0; slot < u.capcodes.size(); ++slot) {
        u.capcodes[slot] = {1000000 + 64 * std::uint32_t(n) + 8 * std::uint32_t(slot), slot < 4};
    }
    u.frequency = "146.56250";
    u.customer = "Cirro";
    u.revision = "TV8";
    u.outcome = std::string(outcome::ok);
    u.statusLog = {"Read back hardware setting, please wait...", "Write to Pager...", "Verify OK !"};
    u.durationMs = 4200;
    u.batchId = batch;
    u.unitNumber = n;
    Image previous;
    for (std::size_t i = 0; i < previous.size(); ++i) previous[i] = static_cast<std::uint8_t>(i * 7 + n);
    u.previousImage = previous;
    return u;
}

double msPerUnit(const std::filesystem::path& file, bool flushEachUnit, int units) {
    ProductionRecord record(file, {.flushEachUnit = flushEachUnit});
    const std::int64_t batch = record.startBatch({});
    const auto start = Clock::now();
    for (int n = 1; n <= units; ++n) record.add(typicalUnit(n, batch));
    return millisSince(start) / units;
}

}  // namespace
}  // namespace pagerprog

int main() {
    using namespace pagerprog;
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("pagerprog_record_bench_" + std::to_string(::getpid()));
    fs::remove_all(folder);

    for (bool full : {true, false}) {
        const double ms = msPerUnit(folder / (full ? "full.sqlite" : "normal.sqlite"), full, 300);
        std::printf("add one unit, synchronous %-6s: %.3f ms per unit, %.3f of the %.0f ms target%s\n",
                    full ? "FULL" : "NORMAL", ms, ms / kUnitMsTarget, kUnitMsTarget, full ? " (the default)" : "");
    }

    // A full day: filled without a flush per unit, which changes the time, not the bytes.
    const fs::path day = folder / "day.sqlite";
    const double fillMs = msPerUnit(day, false, kDayUnits);
    const double bytes = double(fs::file_size(day)) / kDayUnits;  // the log is folded back on close
    std::printf("%d units filled at %.3f ms each; size %.0f bytes per unit, %.3f of the %.0f byte target\n", kDayUnits,
                fillMs, bytes, bytes / kUnitBytesTarget, kUnitBytesTarget);

    ProductionRecord record(day, {.readOnly = true});
    std::mt19937 random(7);
    std::uniform_int_distribution<int> unit(1, kDayUnits);
    constexpr int kQueries = 200;
    double worst = 0, total = 0;
    std::size_t found = 0;
    for (int i = 0; i < kQueries; ++i) {
        const std::uint32_t capcode = 1000000 + 64 * std::uint32_t(unit(random)) + 8 * std::uint32_t(i % 8);
        const auto start = Clock::now();
        found += record.find({.capcode = capcode}).size();
        const double ms = millisSince(start);
        worst = std::max(worst, ms);
        total += ms;
    }
    std::printf(
        "capcode query over %d units (%zu of %d found): mean %.3f ms, worst %.3f ms, %.4f of the %.0f ms target\n",
        kDayUnits, found, kQueries, total / kQueries, worst, worst / kQueryMsTarget, kQueryMsTarget);

    auto start = Clock::now();
    const bool used = record.verifiedWithCapcode(1000000 + 64 * 5000).has_value();
    const double checkMs = millisSince(start);
    std::printf("capcode-used check over %d units (%s): %.3f ms, %.4f of the %.0f ms target\n", kDayUnits,
                used ? "used" : "NOT FOUND", checkMs, checkMs / kQueryMsTarget, kQueryMsTarget);

    start = Clock::now();
    const std::size_t latest = record.find({.limit = 100}).size();
    const double latestMs = millisSince(start);
    std::printf("newest %zu units of %d: %.3f ms, %.4f of the %.0f ms target\n", latest, kDayUnits, latestMs,
                latestMs / kQueryMsTarget, kQueryMsTarget);

    fs::remove_all(folder);
    return 0;
}
