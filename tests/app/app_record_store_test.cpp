// The production record's store, on a file and on a server alike: every column back as it
// went in, the queries, batch state for resuming, the capcode check, a unit sent twice,
// batch units shared out among programs racing for them, their capcodes claimed, and a
// file copied into another record. On a file: migration from the first schema and the
// default place of the file.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sqlite3.h>
#include <unistd.h>

#include <sys/wait.h>
#include <cstdlib>
#include <map>
#include <set>

#include "app/record/data_home.h"
#include "app/record/production_record.h"
#include "app/record/record_schema.h"
#include "app/record/record_time.h"
#include "app/record/unit_columns.h"
#include "support/record_fixture.h"

namespace pagerprog {
namespace {

using namespace std::string_literals;
using testing::fileSql;
using testing::sampleUnit;

using testing::Store;
using RecordStore = testing::RecordStores;
using RecordFile = testing::RecordFolder;
INSTANTIATE_TEST_SUITE_P(Stores, RecordStore, ::testing::Values(Store::File, Store::Server), testing::storeName);

std::vector<std::int64_t> ids(const std::vector<StoredUnit>& units) {
    std::vector<std::int64_t> out;
    for (const auto& unit : units) out.push_back(unit.id);
    return out;
}

Image patternImage(std::uint8_t seed) {
    Image image;
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + seed);
    return image;
}

TEST_P(RecordStore, EveryColumnComesBackAsItWentIn) {
    UnitRecord failedWrite = sampleUnit(3);
    failedWrite.outcome = std::string(outcome::verifyFailed);
    failedWrite.statusLog = {"Write to Pager...", "Verify fail !", "quote \" comma , newline \n end", "nul\0byte"s,
                             "Caf\xe9"};
    failedWrite.differences = {{0x000, 0x00, 0xFF}, {0x3FE, 0x01, 0x02}, {0x7FF, 0xAB, 0xCD}};
    failedWrite.csvRow = 17;
    failedWrite.previousImage = patternImage(5);
    failedWrite.capcodes[7] = {0x1FFFFF, true};

    UnitRecord read = sampleUnit(4, 2000000, std::nullopt);
    read.operation = Operation::Read;
    read.vidPid.clear();
    read.port = "/dev/parport0";

    UnitRecord verify = sampleUnit(5);
    verify.operation = Operation::Verify;
    verify.statusLog.clear();
    std::vector<ByteDifference> everywhere;
    for (std::uint16_t a = 0; a < kImageSize; ++a) everywhere.push_back({a, std::uint8_t(a), std::uint8_t(~a)});
    verify.differences = everywhere;

    ProductionRecord record(location());
    ASSERT_EQ(record.startBatch({}), 1);
    for (const UnitRecord& unit : {failedWrite, read, verify}) {
        const std::int64_t id = record.add(unit);
        const auto stored = record.unit(id);
        ASSERT_TRUE(stored);
        EXPECT_EQ(stored->id, id);
        EXPECT_EQ(stored->previousImageKept, unit.previousImage.has_value());
        UnitRecord expected = unit;
        expected.previousImage.reset();
        EXPECT_EQ(stored->unit, expected) << "unit " << id;
        EXPECT_EQ(record.previousImage(id), unit.previousImage);
    }
    EXPECT_FALSE(record.unit(99));
}

TEST_P(RecordStore, AddFillsInTheTimeWhenNoneIsGiven) {
    ProductionRecord record(location());
    UnitRecord unit = sampleUnit(1, 1234560, std::nullopt);
    unit.time.clear();
    const std::string before = utcNow();
    const std::string time = record.unit(record.add(unit))->unit.time;
    EXPECT_GE(time, before);
    EXPECT_LE(time, utcNow());
    EXPECT_EQ(normalizeUtcTime(time), time);
}

TEST_P(RecordStore, QueriesFilterCombineAndGiveNewestFirst) {
    ProductionRecord record(location());
    const std::int64_t batchA = record.startBatch({});
    const std::int64_t batchB = record.startBatch({});
    // Batch A: units 1..4 at seconds 1..4, capcodes from 1000000; batch B: units 1..3 at
    // seconds 11..13, capcodes from 2000000; then a read outside any batch at second 5.
    for (int n = 1; n <= 4; ++n) record.add(sampleUnit(n, 1000000 + 100 * n, batchA));  // ids 1..4
    for (int n = 1; n <= 3; ++n) {
        UnitRecord unit = sampleUnit(n, 2000000 + 100 * n, batchB);
        unit.time = "2026-12-08T09:30:1" + std::to_string(n) + ".000Z";
        record.add(unit);  // ids 5..7
    }
    UnitRecord read = sampleUnit(5, 1000200, std::nullopt);
    read.operation = Operation::Read;
    record.add(read);  // id 8
    UnitRecord sameTime = sampleUnit(4, 3000000, batchA);
    record.add(sameTime);  // id 9, the same time as id 4: the later row comes first

    const auto none = std::nullopt;
    struct Case {
        const char* what;
        std::optional<std::int64_t> batch;
        const char* since;
        std::optional<std::uint32_t> capcode;
        std::optional<int> limit;
        std::vector<std::int64_t> expected;
    };
    const Case cases[] = {
        {"everything", none, nullptr, none, none, {7, 6, 5, 8, 9, 4, 3, 2, 1}},
        {"batch A", batchA, nullptr, none, none, {9, 4, 3, 2, 1}},
        {"since a date-time", none, "2026-12-08T09:30:04", none, none, {7, 6, 5, 8, 9, 4}},
        {"since the next day", none, "2026-12-09", none, none, {}},
        {"capcode in slot 1", none, nullptr, 1000200, none, {8, 2}},
        {"capcode in disabled slot 2", none, nullptr, 2000300 + 8, none, {7}},
        {"capcode in slot 8", none, nullptr, 1000100 + 56, none, {1}},
        {"capcode and batch", batchA, nullptr, 1000200, none, {2}},
        {"limit", none, nullptr, none, 3, {7, 6, 5}},
        {"all filters", batchB, "2026-12-08T09:30:12", 2000300, 5, {7}},
        {"unknown capcode", none, nullptr, 42, none, {}},
    };
    for (const Case& c : cases) {
        RecordQuery query{.batchId = c.batch, .capcode = c.capcode, .limit = c.limit};
        if (c.since) query.since = normalizeUtcTime(c.since);
        EXPECT_EQ(ids(record.find(query)), c.expected) << c.what;
    }
}

TEST_P(RecordStore, BatchStateTellsWhereAStoppedBatchGoesOn) {
    ProductionRecord record(location());
    const BatchStart start{"2026-12-08T09:00:00.000Z", "/home/tech/run.eep",
                           std::string(64, 'c'),       20,
                           CapcodeSource::CsvFile,     "/home/tech/capcodes.csv",
                           "autoinc1=8 autoinc2=0",    R"([["hellomsg1","a b"]])",
                           std::string(64, 'd'),       "batch-uid-1"};
    const std::int64_t batch = record.startBatch(start);
    const auto fresh = record.batchState(batch);
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fresh->start, start);
    EXPECT_EQ(fresh->nextUnit, 1);
    EXPECT_EQ(fresh->verifiedUnits, 0);
    EXPECT_FALSE(fresh->lastCapcodes);

    auto unit = [&](int n, std::uint32_t capcode, std::string_view result, int csvRow) {
        UnitRecord u = sampleUnit(n, capcode, batch);
        u.outcome = std::string(result);
        u.csvRow = csvRow;
        record.add(u);
    };
    unit(1, 1000000, outcome::ok, 2);
    unit(2, 1000008, outcome::verifyFailed, 3);
    unit(2, 1000016, outcome::ok, 4);  // the same pager again, on the next row
    unit(3, 1000024, outcome::writeFailed, 5);
    UnitRecord read = sampleUnit(9, 1000032, batch);
    read.operation = Operation::Read;
    record.add(read);

    const auto state = record.batchState(batch);
    ASSERT_TRUE(state);
    EXPECT_EQ(state->verifiedUnits, 2);
    EXPECT_EQ(state->nextUnit, 3);
    ASSERT_TRUE(state->lastCapcodes);
    EXPECT_EQ(*state->lastCapcodes, sampleUnit(2, 1000016).capcodes);
    EXPECT_EQ(state->csvRow, 4);
    EXPECT_FALSE(record.batchState(batch + 1));
}

TEST_P(RecordStore, OnlyAVerifiedWriteInAnEnabledSlotCountsAsUsed) {
    ProductionRecord record(location());
    auto add = [&](std::uint32_t capcode, Operation operation, std::string_view result) {
        UnitRecord u = sampleUnit(1, capcode, std::nullopt);
        u.operation = operation;
        u.outcome = std::string(result);
        return record.add(u);
    };
    const std::int64_t first = add(1000000, Operation::Write, outcome::ok);
    add(2000000, Operation::Write, outcome::verifyFailed);
    add(3000000, Operation::Read, outcome::ok);
    add(4000000, Operation::Verify, outcome::ok);
    const std::int64_t again = add(1000000, Operation::Write, outcome::ok);

    const std::map<std::uint32_t, std::optional<std::int64_t>> cases{
        {1000000, again},         // slot 1, the latest of two
        {1000016, again},         // slot 3
        {1000008, std::nullopt},  // slot 2 is disabled
        {2000000, std::nullopt},  // the verify failed
        {3000000, std::nullopt},  // only read from a pager
        {4000000, std::nullopt},  // verified, never written here
        {5000000, std::nullopt},
    };
    for (const auto& [capcode, id] : cases) {
        const auto found = record.verifiedWithCapcode(capcode);
        EXPECT_EQ(found ? std::optional(found->id) : std::nullopt, id) << capcode;
    }
    EXPECT_NE(first, again);
}

// Fails when a unit sent again (its first answer lost with the connection, or pushed from
// the spool) is recorded twice.
TEST_P(RecordStore, AUnitSentTwiceIsOneRow) {
    ProductionRecord record(location());
    UnitRecord read = sampleUnit(1, 1000000, std::nullopt);
    read.operation = Operation::Read;
    EXPECT_EQ(record.add(read), record.add(read));

    UnitRecord write = sampleUnit(2, 2000000, std::nullopt);
    write.outcome = std::string(outcome::inProgress);
    write.statusLog.clear();
    const std::int64_t begun = record.begin(write);
    EXPECT_EQ(record.begin(write), begun);
    UnitRecord ended = write;
    ended.outcome = std::string(outcome::ok);
    ended.statusLog = {"Write to Pager...", "Verify OK !"};
    EXPECT_TRUE(record.push(ended)) << "the spooled end of a write begun on the record";
    EXPECT_FALSE(record.push(ended));
    const UnitRecord spooled = sampleUnit(3, 3000000, std::nullopt);
    EXPECT_TRUE(record.push(spooled)) << "a unit the record never saw";
    EXPECT_FALSE(record.push(spooled));

    EXPECT_EQ(record.find({}).size(), 3u);
    const auto completed = record.unitWithUid(write.uid);
    ASSERT_TRUE(completed);
    EXPECT_EQ(completed->id, begun);
    EXPECT_EQ(completed->unit.outcome, outcome::ok);
    EXPECT_EQ(completed->unit.statusLog, ended.statusLog);
}

// A bench's view of a shared batch: the units it holds, and how it ends them.
class Bench {
public:
    Bench(ProductionRecord& record, std::int64_t batch) : record_(record), batch_(batch) {}
    static std::uint32_t capcodeOf(int unit) { return 1000000 + 64 * static_cast<std::uint32_t>(unit); }

    UnitAllocation take(AllocationRequest request = {}) {
        request.batchId = batch_;
        request.held = held;
        const UnitAllocation allocation = record_.allocateUnit(request, [](int unit) {
            return std::vector<OwnCapcode>{{1, capcodeOf(unit)}, {3, capcodeOf(unit) + 16}};
        });
        if (allocation.unit) held.push_back(*allocation.unit);
        return allocation;
    }
    std::optional<int> unit(AllocationRequest request = {}) { return take(request).unit; }
    void end(int unit, std::string_view result) {
        UnitRecord u = sampleUnit(unit, capcodeOf(unit), batch_);
        u.outcome = std::string(result);
        u.host = currentHostName();
        u.pid = currentProcessId();
        u.time.clear();
        record_.add(u);
        std::erase(held, unit);
    }
    std::vector<int> held;

private:
    ProductionRecord& record_;
    std::int64_t batch_;
};

std::vector<int> unitsOf(const std::vector<AllocatedUnit>& allocated) {
    std::vector<int> units;
    for (const AllocatedUnit& unit : allocated) units.push_back(unit.unit);
    return units;
}

// Units go lowest first: one a failed pager left (unless its bench retires failures) or one
// given back, else the next new one up to the batch's last; an allocation whose answer was
// lost comes back to its program.
TEST_P(RecordStore, BatchUnitsAreSharedOutLowestFirst) {
    ProductionRecord record(location());
    const std::int64_t batch = record.startBatch({});
    Bench bench(record, batch);
    const AllocationRequest upToFive{.lastUnit = 5}, retiring{.lastUnit = 5, .retireFailures = true};
    EXPECT_EQ(bench.unit(upToFive), 1);
    EXPECT_EQ(bench.unit(upToFive), 2);
    EXPECT_EQ(bench.unit(retiring), 3);
    bench.end(1, outcome::ok);
    bench.end(2, outcome::verifyFailed);
    bench.end(3, outcome::writeFailed);
    EXPECT_EQ(bench.unit(upToFive), 2) << "a failed unit's capcodes go to the next pager";
    EXPECT_EQ(bench.unit(upToFive), 4) << "a retired unit's never";
    EXPECT_EQ(bench.unit(upToFive), 5);
    EXPECT_EQ(unitsOf(record.allocatedUnits(batch)), (std::vector<int>{2, 4, 5}));
    EXPECT_FALSE(bench.unit(upToFive)) << "no unit past the last";

    const auto holder = record.releaseUnit(batch, 4);
    ASSERT_TRUE(holder);
    EXPECT_EQ(holder->host, currentHostName());
    EXPECT_EQ(holder->pid, currentProcessId());
    EXPECT_FALSE(record.releaseUnit(batch, 4)) << "given back already";
    EXPECT_FALSE(record.releaseUnit(batch, 1)) << "verified";
    std::erase(bench.held, 4);
    std::erase(bench.held, 5);  // as if unit 5's allocation had never been answered
    EXPECT_EQ(bench.unit(upToFive), 5);
    EXPECT_EQ(bench.unit(upToFive), 4);
    EXPECT_EQ(record.batchState(batch)->verifiedUnits, 1);
    EXPECT_EQ(record.releaseAbandoned(), 0) << "this program still runs";
}

// Another batch meets the capcodes the first one's units claimed or verified into pagers.
TEST_P(RecordStore, OwnCapcodesAreClaimedOnceByConstraint) {
    ProductionRecord record(location());
    const std::int64_t first = record.startBatch({}), second = record.startBatch({});
    Bench bench(record, first), other(record, second);
    ASSERT_EQ(bench.unit(), 1);
    ASSERT_EQ(bench.unit(), 2);
    bench.end(1, outcome::ok);
    const std::string verified = "is already in a pager (record row 1, ";
    const std::string claimed = "is already claimed by unit 2 of batch " + std::to_string(first);

    // The second batch's units 1 and 2 have the first's capcodes.
    const UnitAllocation refused = other.take({.unique = true});
    EXPECT_FALSE(refused.unit);
    ASSERT_EQ(refused.conflicts.size(), 2u);
    EXPECT_EQ(refused.conflicts[0].slot, 1);
    EXPECT_EQ(refused.conflicts[0].capcode, Bench::capcodeOf(1));
    EXPECT_EQ(refused.conflicts[0].holder.rfind(verified, 0), 0u) << refused.conflicts[0].holder;
    EXPECT_TRUE(record.allocatedUnits(second).empty()) << "a refused unit takes nothing";

    const UnitAllocation warned = other.take();
    EXPECT_EQ(warned.unit, 1);
    EXPECT_EQ(warned.conflicts.size(), 2u);
    const UnitAllocation alsoClaimed = other.take({.unique = true});
    EXPECT_FALSE(alsoClaimed.unit);
    ASSERT_EQ(alsoClaimed.conflicts.size(), 2u);
    EXPECT_EQ(alsoClaimed.conflicts[1].slot, 3);
    EXPECT_EQ(alsoClaimed.conflicts[1].holder, claimed);
    EXPECT_EQ(sql("SELECT count(*) FROM capcode_claims"), "4") << "the first batch's units claimed all";
}

// Four programs take 25 units each of one batch at once: every unit once, no gap, and the
// own capcodes of units 1 to 100, each claimed once.
TEST_P(RecordStore, FourProgramsRacingTakeEveryUnitOnce) {
    std::int64_t batch = 0;
    {
        ProductionRecord record(location());
        batch = record.startBatch({});
    }
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    std::vector<pid_t> programs;
    for (int program = 0; program < 4; ++program) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(go[1]);
            char start;
            [[maybe_unused]] const auto read = ::read(go[0], &start, 1);
            int status = 0;
            try {
                ProductionRecord record(location(), {.busyTimeoutMs = 20000});
                Bench bench(record, batch);
                for (int n = 0; n < 25 && status == 0; ++n) {
                    const auto unit = bench.unit({.unique = true});
                    status = unit ? 0 : 1;
                    if (unit) bench.end(*unit, outcome::ok);
                }
            } catch (const std::exception& error) {
                std::fprintf(stderr, "program %d: %s\n", program, error.what());
                status = 2;
            }
            ::_exit(status);
        }
        programs.push_back(pid);
    }
    ::close(go[0]);
    ::close(go[1]);  // the end of the pipe starts them all
    for (const pid_t pid : programs) {
        int status = -1;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    ProductionRecord record(location());
    std::multiset<int> units;
    std::multiset<std::uint32_t> capcodes, expected;
    for (const StoredUnit& unit : record.find({.batchId = batch})) {
        units.insert(*unit.unit.unitNumber);
        capcodes.insert(unit.unit.capcodes[0].capcode);
    }
    std::multiset<int> everyUnit;
    for (int unit = 1; unit <= 100; ++unit) {
        everyUnit.insert(unit);
        expected.insert(Bench::capcodeOf(unit));
    }
    EXPECT_EQ(units, everyUnit);
    EXPECT_EQ(capcodes, expected);
    EXPECT_EQ(sql("SELECT count(*) FROM capcode_claims"), "200");
    EXPECT_TRUE(record.allocatedUnits().empty());
}

// A bench's file copied into the shop's record: every unit and batch once, each unit naming
// the bench and row it came from, its previous image with it; a second copy adds nothing.
TEST_P(RecordStore, ACopyBringsEveryUnitOnceNamingWhereItCameFrom) {
    const auto bench = folder / "bench.sqlite";
    {
        ProductionRecord source(bench);
        BatchStart start;
        start.settingsPath = "/home/tech/run.eep";
        const std::int64_t batch = source.startBatch(start);
        for (int n = 1; n <= 3; ++n) {
            UnitRecord unit = sampleUnit(n, 1000000 + 8 * std::uint32_t(n), batch);
            if (n == 2) unit.previousImage = patternImage(2);
            source.add(unit);
        }
    }
    // A unit from before the record kept uids.
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(bench.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, "UPDATE units SET uid = NULL WHERE id = 3", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    ProductionRecord shop(location());
    shop.add(sampleUnit(9, 9000000, shop.startBatch({})));
    const ProductionRecord source(bench, {.readOnly = true});
    EXPECT_EQ(shop.copyFrom(source), 3);
    EXPECT_EQ(shop.copyFrom(source), 0);

    const std::string origin = currentHostName() + ":" + bench.string();
    const auto copied = shop.find({.batchId = 2});
    ASSERT_EQ(copied.size(), 3u) << "the shop's own batch 1 stays its own";
    EXPECT_EQ(shop.batchState(2)->start.settingsPath, "/home/tech/run.eep");
    for (const StoredUnit& unit : copied) {
        const StoredUnit original = *source.unit(*unit.unit.originRow);
        UnitRecord expected = original.unit;
        expected.batchId = 2;
        expected.origin = origin;
        expected.originRow = original.id;
        if (original.id == 3) expected.uid = unit.unit.uid;
        EXPECT_EQ(unit.unit, expected) << "row " << original.id;
        EXPECT_EQ(shop.previousImage(unit.id), source.previousImage(original.id));
    }
}

// A record as the first schema left it, made by hand: units without batches.
constexpr const char* kFirstSchemaRecord = R"sql(
    CREATE TABLE units (id INTEGER PRIMARY KEY, time TEXT NOT NULL, operation TEXT NOT NULL,
        program_version TEXT NOT NULL, user TEXT NOT NULL, host TEXT NOT NULL, port TEXT NOT NULL,
        vid_pid TEXT NOT NULL, settings_path TEXT NOT NULL, settings_sha256 TEXT NOT NULL,
        image_sha256 TEXT NOT NULL, frequency TEXT NOT NULL, customer TEXT NOT NULL, revision TEXT NOT NULL,
        outcome TEXT NOT NULL, differences BLOB NOT NULL, duration_ms INTEGER NOT NULL);
    CREATE INDEX units_by_time ON units (time);
    CREATE TABLE unit_slots (unit_id INTEGER NOT NULL REFERENCES units (id), slot INTEGER NOT NULL,
        capcode INTEGER NOT NULL, enabled INTEGER NOT NULL, PRIMARY KEY (unit_id, slot)) WITHOUT ROWID;
    CREATE INDEX unit_slots_by_capcode ON unit_slots (capcode, unit_id);
    CREATE TABLE unit_log (unit_id INTEGER NOT NULL REFERENCES units (id), line_no INTEGER NOT NULL,
        line TEXT NOT NULL, PRIMARY KEY (unit_id, line_no)) WITHOUT ROWID;
    CREATE TABLE unit_images (unit_id INTEGER PRIMARY KEY REFERENCES units (id), image BLOB NOT NULL);
    INSERT INTO units VALUES (1, '2025-01-02T03:04:05.006Z', 'write', '0.0', 'old', 'bench-1', '/dev/parport0',
        '', '/old.eep', 'aa', 'bb', '146.56250', 'Normal', 'TV7r3', 'ok', x'', 3000);
    INSERT INTO unit_slots VALUES (1, 1, 1111110, 1), (1, 2, 1111118, 0), (1, 3, 0, 0), (1, 4, 0, 0),
        (1, 5, 0, 0), (1, 6, 0, 0), (1, 7, 0, 0), (1, 8, 0, 0);
    INSERT INTO unit_log VALUES (1, 1, 'Write to Pager...'), (1, 2, 'Verify OK !');
    PRAGMA user_version = 1;
)sql";

TEST_F(RecordFile, RecordOfTheFirstSchemaIsBroughtUpToDate) {
    fileSql(file, kFirstSchemaRecord);

    ProductionRecord record(file);
    EXPECT_EQ(fileSql(file, "PRAGMA user_version"), std::to_string(kRecordSchemaVersion));
    EXPECT_EQ(fileSql(file, "PRAGMA journal_mode"), "wal");
    const auto old = record.unit(1);
    ASSERT_TRUE(old);
    EXPECT_EQ(old->unit.user, "old");
    EXPECT_EQ(old->unit.capcodes[0], (SlotCapcode{1111110, true}));
    EXPECT_EQ(old->unit.statusLog, (std::vector<std::string>{"Write to Pager...", "Verify OK !"}));
    EXPECT_FALSE(old->unit.batchId);
    EXPECT_EQ(record.verifiedWithCapcode(1111110)->id, 1);

    const std::int64_t batch = record.startBatch({});
    const std::int64_t id = record.add(sampleUnit(1, 1000000, batch));
    EXPECT_EQ(record.unit(id)->unit.batchId, batch);
    EXPECT_EQ(record.batchState(batch)->nextUnit, 2);
}

// The units table as SQLite describes it: each column's name, declared type, NOT NULL and
// key, and the table its values name.
std::string unitsTableOf(const std::filesystem::path& file) {
    return fileSql(file, R"sql(SELECT group_concat(part, '; ') FROM (
        SELECT name || ' ' || type || ' ' || "notnull" || ' ' || pk AS part FROM pragma_table_info('units')
        UNION ALL SELECT "from" || ' -> ' || "table" || ' (' || "to" || ')' FROM pragma_foreign_key_list('units')
        ORDER BY 1))sql");
}

TEST_F(RecordFile, MigratedAndNewRecordsHaveTheColumnTablesUnits) {
    fileSql(file, kFirstSchemaRecord);
    std::set<std::string> firstColumns;
    for (const UnitColumn* column : storedColumns(1)) firstColumns.emplace(column->sqlName);
    std::string firstNames;
    for (const std::string& name : firstColumns) firstNames += (firstNames.empty() ? "" : " ") + name;
    EXPECT_EQ(
        fileSql(file, "SELECT group_concat(name, ' ') FROM (SELECT name FROM pragma_table_info('units') ORDER BY 1)"),
        firstNames);

    const auto fresh = folder / "fresh.sqlite", described = folder / "described.sqlite";
    { ProductionRecord migrated(file), made(fresh); }
    fileSql(described, "CREATE TABLE batches (id INTEGER PRIMARY KEY); " + createUnitsTableSql(kSqliteDialect));
    EXPECT_NE(unitsTableOf(described), "");
    EXPECT_EQ(unitsTableOf(file), unitsTableOf(described)) << "migrated from the first schema";
    EXPECT_EQ(unitsTableOf(fresh), unitsTableOf(described)) << "made new";
}

TEST_F(RecordFile, ANewRecordAndItsFolderAreMade) {
    const auto nested = folder / "data" / "pagerprog" / "production.sqlite";
    { ProductionRecord record(nested); }
    EXPECT_EQ(fileSql(nested, "PRAGMA user_version"), std::to_string(kRecordSchemaVersion));
    EXPECT_EQ(fileSql(nested, "PRAGMA integrity_check"), "ok");
    ProductionRecord again(nested);
    EXPECT_TRUE(again.find({}).empty());
}

TEST(RecordPlace, DefaultPathFollowsTheXdgRules) {
    const char* savedHome = std::getenv("HOME");
    const char* savedData = std::getenv("XDG_DATA_HOME");
    const std::string home = savedHome ? savedHome : "", data = savedData ? savedData : "";
    struct Case {
        const char* home;
        const char* dataHome;
        const char* expected;
    };
    const Case cases[] = {
        {"/home/tech", "/srv/data", "/srv/data/pagerprog/production.sqlite"},
        {"/home/tech", nullptr, "/home/tech/.local/share/pagerprog/production.sqlite"},
        {"/home/tech", "", "/home/tech/.local/share/pagerprog/production.sqlite"},
        {"/home/tech", "relative/data", "/home/tech/.local/share/pagerprog/production.sqlite"},
        {nullptr, "/srv/data", "/srv/data/pagerprog/production.sqlite"},
        {nullptr, nullptr, ""},
    };
    auto set = [](const char* name, const char* value) {
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    };
    for (const Case& c : cases) {
        set("HOME", c.home);
        set("XDG_DATA_HOME", c.dataHome);
        EXPECT_EQ(defaultRecordPath(), c.expected) << (c.home ? c.home : "-") << " " << (c.dataHome ? c.dataHome : "-");
    }
    set("HOME", savedHome ? home.c_str() : nullptr);
    set("XDG_DATA_HOME", savedData ? data.c_str() : nullptr);
}

TEST(RecordPlace, UserAndHostNames) {
    const char* savedUser = std::getenv("USER");
    const std::string user = savedUser ? savedUser : "";
    // The account's own name, not what the environment claims.
    setenv("USER", "someone-else", 1);
    const passwd* account = getpwuid(geteuid());
    ASSERT_NE(account, nullptr);
    EXPECT_EQ(currentUserName(), account->pw_name);
    savedUser ? setenv("USER", user.c_str(), 1) : unsetenv("USER");
    EXPECT_FALSE(currentHostName().empty());
    EXPECT_EQ(currentHostName().find('\n'), std::string::npos);
}

}  // namespace
}  // namespace pagerprog
