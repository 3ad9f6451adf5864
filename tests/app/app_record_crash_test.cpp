// Killing the program at any moment of a batch leaves a record that opens, passes
// SQLite's integrity check and holds every unit whose add() had returned.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <set>
#include <thread>

#include "app/record/production_record.h"
#include "support/record_fixture.h"

namespace pagerprog {
namespace {

using RecordCrash = testing::RecordFolder;

// The writer as a child process; its standard output comes through a pipe.
class Writer {
public:
    Writer(const std::filesystem::path& file, const std::filesystem::path& errors) {
        int pipe[2];
        EXPECT_EQ(::pipe(pipe), 0);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(pipe[1], STDOUT_FILENO);
            const int log = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            ::dup2(log, STDERR_FILENO);
            ::close(pipe[0]);
            ::close(pipe[1]);
            ::execl(PAGERPROG_RECORD_CRASH_WRITER, PAGERPROG_RECORD_CRASH_WRITER, file.c_str(), nullptr);
            ::_exit(127);
        }
        ::close(pipe[1]);
        out_ = pipe[0];
    }
    ~Writer() { ::close(out_); }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // Waits until the first unit is recorded (or the writer is gone).
    void awaitFirstUnit() {
        for (char c; text_.find('\n') == std::string::npos && ::read(out_, &c, 1) == 1;) text_ += c;
    }
    // SIGKILL; true when that, and nothing else, ended it.
    bool kill() {
        ::kill(pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }
    // The ids of every whole line it printed; call after kill().
    std::vector<std::int64_t> printedIds() {
        char buffer[4096];
        for (ssize_t n; (n = ::read(out_, buffer, sizeof buffer)) > 0;) text_.append(buffer, std::size_t(n));
        std::vector<std::int64_t> ids;
        for (std::size_t at = 0, end; (end = text_.find('\n', at)) != std::string::npos; at = end + 1) {
            ids.push_back(std::stoll(text_.substr(at, end - at)));
        }
        return ids;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string text_;
};

std::string integrityCheck(const std::filesystem::path& file) {
    sqlite3* db = nullptr;
    std::string result;
    if (sqlite3_open(file.c_str(), &db) == SQLITE_OK) {
        sqlite3_exec(
            db, "PRAGMA integrity_check",
            [](void* out, int, char** values, char**) {
                *static_cast<std::string*>(out) += values[0] ? values[0] : "";
                return 0;
            },
            &result, nullptr);
    }
    sqlite3_close(db);
    return result;
}

TEST_F(RecordCrash, KilledAtRandomMomentsKeepsEveryFinishedUnit) {
    const auto errors = folder / "writer.err";
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    // Up to 40 ms: long enough for a few units, short enough that some rounds end during
    // open, migration or the batch's start.
    std::set<std::int64_t> printed;
    auto collect = [&](Writer& writer, int round) {
        ASSERT_TRUE(writer.kill()) << "the writer ended by itself in round " << round << "; see " << errors;
        for (std::int64_t id : writer.printedIds()) EXPECT_TRUE(printed.insert(id).second) << "id " << id << " twice";
    };
    // How long the writer takes to get going here (a sanitizer build starts slowly).
    const auto started = std::chrono::steady_clock::now();
    Writer first(file, errors);
    first.awaitFirstUnit();
    const auto startupMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
    collect(first, 0);
    // Up to 30 ms past that: some rounds end during open, migration or the batch's
    // start, most in the middle of a unit.
    std::uniform_int_distribution<long> lifetimeMs(0, startupMs + 30);
    for (int round = 1; round < 30; ++round) {
        Writer writer(file, errors);
        std::this_thread::sleep_for(std::chrono::milliseconds(lifetimeMs(random)));
        collect(writer, round);
    }
    EXPECT_GE(printed.size(), 30u) << "the writer hardly got going (seed " << seed << ")";

    EXPECT_EQ(integrityCheck(file), "ok") << "seed " << seed;
    ProductionRecord record(file);
    std::set<std::int64_t> kept;
    std::vector<int> unitNumbers;
    for (const StoredUnit& unit : record.find({.batchId = 1})) {
        kept.insert(unit.id);
        unitNumbers.push_back(*unit.unit.unitNumber);
        // A unit is whole or absent: its capcodes, log lines and image came with it.
        EXPECT_EQ(
            unit.unit.capcodes,
            testing::sampleUnit(*unit.unit.unitNumber, 1000000 + 64 * std::uint32_t(*unit.unit.unitNumber)).capcodes);
        EXPECT_EQ(unit.unit.statusLog.size(), 3u);
        EXPECT_TRUE(unit.previousImageKept);
    }
    for (std::int64_t id : printed) EXPECT_TRUE(kept.count(id)) << "unit " << id << " was lost (seed " << seed << ")";
    // Each writer went on after the last kept unit: every number once, none skipped.
    std::sort(unitNumbers.begin(), unitNumbers.end());
    for (std::size_t i = 0; i < unitNumbers.size(); ++i) EXPECT_EQ(unitNumbers[i], int(i) + 1);
}

}  // namespace
}  // namespace pagerprog
