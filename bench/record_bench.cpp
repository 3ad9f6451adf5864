// The production record against its targets, each figure also as a ratio to its target
// (under 1 is within). A file: the time add() adds to a unit with each PRAGMA synchronous
// choice, the bytes a unit costs on disk, and capcode queries over a full day's record. A
// server (a throwaway cluster of the bench's own, on a Unix socket, fsync and synchronous
// commit on): allocating and recording one unit, the log's capcode query over 100,000
// units, and allocation with eight benches at once.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/record/data_home.h"
#include "app/record/pg_connection.h"
#include "app/record/production_record.h"
#include "app/record/server_schema.h"

namespace pagerprog {
namespace {

constexpr double kUnitMsTarget = 5;
constexpr double kUnitBytesTarget = 10 * 1024;
constexpr double kQueryMsTarget = 50;
constexpr int kDayUnits = 10000;
constexpr double kServerUnitMsTarget = 5;
constexpr int kServerUnits = 100000;
constexpr double kAllocationP99MsTarget = 50;
constexpr int kBenches = 8, kBenchUnits = 100;

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

std::vector<OwnCapcode> ownCapcodes(int unit) { return {{1, 1000000 + 64 * std::uint32_t(unit)}}; }

// A unit allocated, begun before its pager and completed after it, as a bench records it.
void recordUnit(ProductionRecord& record, std::int64_t batch, std::vector<int>& held) {
    const auto unit = record.allocateUnit({.batchId = batch, .held = held}, ownCapcodes).unit;
    if (!unit) throw std::runtime_error("no unit allocated");
    UnitRecord u = typicalUnit(*unit, batch);
    u.host = currentHostName();
    u.pid = currentProcessId();
    u.outcome = std::string(outcome::inProgress);
    const std::int64_t id = record.begin(u);
    u.outcome = std::string(outcome::ok);
    record.complete(id, u);
}

// A throwaway cluster of the bench's own, removed at the end.
class Server {
public:
    Server() : link_(std::filesystem::temp_directory_path() / ("pagerprog_bench_pg_" + std::to_string(::getpid()))) {
        control("start", " durable");
        admin("postgres").exec("CREATE DATABASE bench");
        setUpServerRecord(location());
    }
    ~Server() { control("stop"); }
    RecordLocation location() const {
        return RecordLocation::parse("host=" + std::filesystem::canonical(link_).string() +
                                     " user=postgres dbname=bench");
    }
    PgConnection admin(const std::string& database = "bench") const {
        return PgConnection(RecordLocation::parse("host=" + std::filesystem::canonical(link_).string() +
                                                  " user=postgres dbname=" + database));
    }

private:
    void control(const char* action, const char* more = "") const {
        const std::string command =
            std::string("bash " PAGERPROG_TEST_POSTGRES_SCRIPT " ") + action + " " + link_.string() + more;
        if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
    }
    std::filesystem::path link_;
};

double percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(share * double(values.size())))];
}

void serverFigures() {
    const Server server;
    {
        // What one commit costs on this server: its disk's flush, three of which a unit takes.
        PgConnection connection = server.admin();
        connection.exec("CREATE TABLE bench_commits (n INTEGER)");
        constexpr int kCommits = 200;
        const auto start = Clock::now();
        for (int n = 0; n < kCommits; ++n) connection.exec("INSERT INTO bench_commits VALUES (1)");
        std::printf("server: one commit (the disk's flush): %.3f ms\n", millisSince(start) / kCommits);
    }
    {
        ProductionRecord record(server.location());
        const std::int64_t batch = record.startBatch({});
        std::vector<int> held;
        constexpr int kUnits = 300;
        const auto start = Clock::now();
        for (int n = 0; n < kUnits; ++n) recordUnit(record, batch, held);
        const double ms = millisSince(start) / kUnits;
        std::printf("server: allocate and record one unit: %.3f ms per unit, %.3f of the %.0f ms target\n", ms,
                    ms / kServerUnitMsTarget, kServerUnitMsTarget);
    }

    // A shop's record of 100,000 units, filled by the server itself.
    const auto fillStart = Clock::now();
    server.admin().exec(R"sql(
        INSERT INTO batches (time, settings_path, settings_sha256, count_asked, capcode_source, csv_path, uid)
            VALUES ('2026-12-08T09:00:00.000Z', '/home/technician/batch.eep', 'aa', 100000, 'step', '', 'fill');
        INSERT INTO units (time, operation, outcome, frequency, customer, revision, port, vid_pid, settings_path,
                settings_sha256, image_sha256, "user", host, program_version, duration_ms, differences, uid,
                batch_id, unit_number)
            SELECT '2026-12-08T09:00:00.000Z', 'write', 'ok', '146.56250', 'Cirro', 'TV8', '/dev/hidraw2',
                '0483:5750', '/home/technician/batch.eep', 'aa', 'bb', 'technician', 'bench-3', '0.1', 4200, '',
                'fill-' || n, (SELECT id FROM batches WHERE uid = 'fill'), n
            FROM generate_series(1, 100000) n;
        INSERT INTO unit_slots (unit_id, slot, capcode, enabled)
            SELECT u.id, s, 1000000 + 64 * u.unit_number + 8 * (s - 1), CASE WHEN s <= 4 THEN 1 ELSE 0 END
            FROM units u, generate_series(1, 8) s WHERE u.uid LIKE 'fill-%';
        INSERT INTO unit_log (unit_id, line_no, line)
            SELECT u.id, l, 'Write to Pager...' FROM units u, generate_series(1, 3) l WHERE u.uid LIKE 'fill-%';
        ANALYZE;
    )sql");
    std::printf("server: %d units filled in %.1f s\n", kServerUnits, millisSince(fillStart) / 1000);
    {
        ProductionRecord record(server.location(), {.readOnly = true});
        std::mt19937 random(7);
        std::uniform_int_distribution<int> unit(1, kServerUnits);
        std::vector<double> times;
        for (int i = 0; i < 200; ++i) {
            const std::uint32_t capcode = 1000000 + 64 * std::uint32_t(unit(random)) + 8 * std::uint32_t(i % 8);
            const auto start = Clock::now();
            record.find({.capcode = capcode});
            times.push_back(millisSince(start));
        }
        const double worst = *std::max_element(times.begin(), times.end());
        std::printf("server: log --capcode over %d units: median %.3f ms, worst %.3f ms, %.4f of the %.0f ms target\n",
                    kServerUnits, percentile(times, 0.5), worst, worst / kQueryMsTarget, kQueryMsTarget);
    }

    // Eight benches allocating from one batch at once, each a program of its own.
    const std::int64_t batch = ProductionRecord(server.location()).startBatch({});
    int go[2], results[2];
    if (::pipe(go) != 0 || ::pipe(results) != 0) throw std::runtime_error("no pipe");
    for (int bench = 0; bench < kBenches; ++bench) {
        if (::fork() != 0) continue;
        ::close(go[1]);
        char start;
        [[maybe_unused]] const auto started = ::read(go[0], &start, 1);
        ProductionRecord record(server.location());
        std::vector<int> held;
        std::vector<double> times;
        for (int n = 0; n < kBenchUnits; ++n) {
            const auto begun = Clock::now();
            const auto unit = record.allocateUnit({.batchId = batch, .held = held}, ownCapcodes).unit;
            times.push_back(millisSince(begun));
            UnitRecord u = typicalUnit(unit.value_or(0), batch);
            u.host = currentHostName();
            u.pid = currentProcessId();
            record.add(u);
        }
        [[maybe_unused]] const auto written = ::write(results[1], times.data(), times.size() * sizeof(double));
        ::_exit(0);
    }
    ::close(go[0]);
    ::close(results[1]);
    ::close(go[1]);
    std::vector<double> times(kBenches * kBenchUnits);
    std::size_t got = 0;
    for (ssize_t n;
         got < times.size() * sizeof(double) && (n = ::read(results[0], reinterpret_cast<char*>(times.data()) + got,
                                                            times.size() * sizeof(double) - got)) > 0;)
        got += static_cast<std::size_t>(n);
    while (::wait(nullptr) > 0) {
    }
    const double p99 = percentile(times, 0.99);
    std::printf("server: allocation with %d benches at once: median %.3f ms, p99 %.3f ms, %.3f of the %.0f ms target\n",
                kBenches, percentile(times, 0.5), p99, p99 / kAllocationP99MsTarget, kAllocationP99MsTarget);
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

    try {
        serverFigures();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "record_bench: the server's figures: %s\n", error.what());
        return 1;
    }
    return 0;
}
