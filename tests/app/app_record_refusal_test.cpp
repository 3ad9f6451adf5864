// A production record that cannot be used is refused with a message that says why, at
// open or at the first write; never a crash, never a unit dropped without a word.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "app/record/production_record.h"
#include "app/record/record_schema.h"
#include "support/record_fixture.h"

namespace pagerprog {
namespace {

using Kind = RecordError::Kind;
using RecordRefusal = testing::RecordFolder;

struct Refusal {
    std::optional<Kind> kind;  // empty: nothing was refused
    std::string message;
};

Refusal refusalOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const RecordError& error) {
        return {error.kind(), error.what()};
    }
    return {};
}

// Another program's connection to the same file.
class OtherProgram {
public:
    explicit OtherProgram(const std::filesystem::path& file) { EXPECT_EQ(sqlite3_open(file.c_str(), &db_), SQLITE_OK); }
    ~OtherProgram() { sqlite3_close(db_); }
    void exec(const std::string& sql) {
        EXPECT_EQ(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db_);
    }

private:
    sqlite3* db_ = nullptr;
};

TEST_F(RecordRefusal, AFileThatIsNoDatabase) {
    std::ofstream(file) << std::string(4096, 'x');
    for (bool readOnly : {false, true}) {
        const Refusal refusal = refusalOf([&] { ProductionRecord record(file, {.readOnly = readOnly}); });
        EXPECT_EQ(refusal.kind, Kind::Damaged) << refusal.message;
        EXPECT_EQ(refusal.message, "the production record " + file.string() + " is damaged (not a database)");
    }
}

TEST_F(RecordRefusal, ADatabaseWithDamagedPages) {
    {
        ProductionRecord record(file);
        for (int n = 1; n <= 40; ++n) {
            UnitRecord unit = testing::sampleUnit(n, 1000000, std::nullopt);
            unit.previousImage = Image{};
            record.add(unit);
        }
    }  // the last connection folds the log back into the file
    ASSERT_FALSE(std::filesystem::exists(file.string() + "-wal"));
    // Everything after the first page (the header and the schema) is overwritten.
    const auto size = std::filesystem::file_size(file);
    {
        std::fstream bytes(file, std::ios::in | std::ios::out | std::ios::binary);
        bytes.seekp(4096);
        bytes << std::string(size - 4096, '\xA5');
    }
    const Refusal refusal = refusalOf([&] {
        ProductionRecord record(file);
        record.find({});
        record.add(testing::sampleUnit(41, 1000000, std::nullopt));
    });
    EXPECT_EQ(refusal.kind, Kind::Damaged) << refusal.message;
    EXPECT_EQ(refusal.message.rfind("the production record " + file.string() + " is damaged", 0), 0u)
        << refusal.message;
}

TEST_F(RecordRefusal, ARecordFromANewerPagerprog) {
    { ProductionRecord record(file); }
    const std::string newer = std::to_string(kRecordSchemaVersion + 1);
    OtherProgram(file).exec("PRAGMA user_version = " + newer);
    for (bool readOnly : {false, true}) {
        const Refusal refusal = refusalOf([&] { ProductionRecord record(file, {.readOnly = readOnly}); });
        EXPECT_EQ(refusal.kind, Kind::NewerSchema);
        EXPECT_EQ(refusal.message, "the production record " + file.string() +
                                       " was written by a newer pagerprog (schema " + newer + ", this one knows " +
                                       std::to_string(kRecordSchemaVersion) + ")");
    }
}

std::string bytesOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Fails when the file is changed (its journal mode switched, a migration begun) before it is
// found to be another program's: whatever its schema version says.
TEST_F(RecordRefusal, AnotherProgramsDatabaseIsLeftAlone) {
    for (int version : {0, 2, kRecordSchemaVersion}) {
        std::filesystem::remove(file);
        OtherProgram(file).exec("CREATE TABLE contacts (name TEXT); PRAGMA user_version = " + std::to_string(version));
        const std::string before = bytesOf(file);
        const Refusal refusal = refusalOf([&] { ProductionRecord record(file); });
        EXPECT_EQ(refusal.kind, Kind::CannotOpen) << version;
        EXPECT_NE(refusal.message.find("another program's database"), std::string::npos) << refusal.message;
        EXPECT_TRUE(bytesOf(file) == before) << "schema version " << version << ": the file was changed";
    }
}

// Fails when a schema version below 0 indexes the migration steps.
TEST_F(RecordRefusal, ASchemaVersionPagerprogNeverWrote) {
    { ProductionRecord record(file); }
    for (const char* version : {"-2", "-2147483648"}) {
        OtherProgram(file).exec(std::string("PRAGMA user_version = ") + version);
        for (bool readOnly : {false, true}) {
            const Refusal refusal = refusalOf([&] { ProductionRecord record(file, {.readOnly = readOnly}); });
            EXPECT_EQ(refusal.kind, Kind::Damaged);
            EXPECT_EQ(refusal.message, "the production record " + file.string() + " is damaged: its schema version " +
                                           version + " is none pagerprog ever wrote");
        }
    }
}

TEST_F(RecordRefusal, ALockedRecordRefusesTheWriteAndKeepsNothingHalf) {
    ProductionRecord record(file, {.busyTimeoutMs = 50});
    record.add(testing::sampleUnit(1, 1000000, std::nullopt));
    OtherProgram other(file);
    other.exec("BEGIN IMMEDIATE");
    for (const auto& write : std::vector<std::function<void()>>{
             [&] { record.add(testing::sampleUnit(2, 1000000, std::nullopt)); },
             [&] { record.startBatch({}); },
         }) {
        const Refusal refusal = refusalOf(write);
        EXPECT_EQ(refusal.kind, Kind::Locked);
        EXPECT_EQ(refusal.message, "the production record " + file.string() +
                                       " is locked by another program; close it there or wait, then try again");
    }
    EXPECT_EQ(record.find({}).size(), 1u) << "reading goes on beside the other program's write";
    other.exec("ROLLBACK");
    record.add(testing::sampleUnit(2, 1000000, std::nullopt));
    EXPECT_EQ(record.find({}).size(), 2u);
}

TEST_F(RecordRefusal, ARecordHeldExclusivelyIsLockedAtOpen) {
    OtherProgram other(file);
    other.exec("PRAGMA locking_mode = EXCLUSIVE; CREATE TABLE holding (x); BEGIN EXCLUSIVE");
    const Refusal refusal = refusalOf([&] { ProductionRecord record(file, {.busyTimeoutMs = 50}); });
    EXPECT_EQ(refusal.kind, Kind::Locked) << refusal.message;
}

TEST_F(RecordRefusal, AWriteThatCannotBeKeptIsRefusedWhole) {
    ProductionRecord record(file);
    const Refusal refusal = refusalOf([&] { record.add(testing::sampleUnit(1, 1000000, 42)); });  // no batch 42
    EXPECT_EQ(refusal.kind, Kind::Failed) << refusal.message;
    EXPECT_TRUE(record.find({}).empty());
    EXPECT_TRUE(record.find({.capcode = 1000000}).empty()) << "no capcode row of the refused unit stays";
}

TEST_F(RecordRefusal, ReadingOnly) {
    const Refusal missing = refusalOf([&] { ProductionRecord record(file, {.readOnly = true}); });
    EXPECT_EQ(missing.kind, Kind::CannotOpen);
    EXPECT_FALSE(std::filesystem::exists(file)) << "reading never makes a record";

    OtherProgram(file).exec("PRAGMA user_version = 0");
    EXPECT_EQ(refusalOf([&] { ProductionRecord record(file, {.readOnly = true}); }).kind, Kind::CannotOpen);

    { ProductionRecord record(file); }
    OtherProgram(file).exec("PRAGMA user_version = 1");
    const Refusal older = refusalOf([&] { ProductionRecord record(file, {.readOnly = true}); });
    EXPECT_EQ(older.kind, Kind::OlderSchema);
    EXPECT_NE(older.message.find("open it once for writing"), std::string::npos) << older.message;

    OtherProgram(file).exec("PRAGMA user_version = " + std::to_string(kRecordSchemaVersion));
    ProductionRecord(file).add(testing::sampleUnit(1, 1000000, std::nullopt));
    ProductionRecord reader(file, {.readOnly = true});
    EXPECT_EQ(reader.find({}).size(), 1u);
    const Refusal write = refusalOf([&] { reader.add(testing::sampleUnit(2, 1000000, std::nullopt)); });
    EXPECT_EQ(write.kind, Kind::ReadOnly) << write.message;
}

// The outcome of opening the record for writing as a user who may not write `path`. Root
// may write anything, so as root the attempt runs in a child that has become nobody.
std::string openForWritingUnprivileged(const std::filesystem::path& path) {
    auto attempt = [&] {
        const Refusal refusal = refusalOf([&] { ProductionRecord record(path); });
        return refusal.kind ? std::to_string(int(*refusal.kind)) + " " + refusal.message : "opened";
    };
    if (::geteuid() != 0) return attempt();
    int pipe[2];
    EXPECT_EQ(::pipe(pipe), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
        const std::string answer = dropped ? attempt() : "could not become nobody";
        const bool written = ::write(pipe[1], answer.data(), answer.size()) == ssize_t(answer.size());
        ::_exit(written ? 0 : 1);
    }
    ::close(pipe[1]);
    std::string answer;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;) answer.append(buffer, std::size_t(n));
    ::close(pipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return answer;
}

TEST_F(RecordRefusal, AFileThisUserMayNotWrite) {
    { ProductionRecord record(file); }
    std::filesystem::permissions(folder, std::filesystem::perms::all);
    std::filesystem::permissions(file, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    EXPECT_EQ(openForWritingUnprivileged(file), std::to_string(int(Kind::ReadOnly)) + " the production record " +
                                                    file.string() +
                                                    " is read-only: the file may not be written by this user");
}

TEST_F(RecordRefusal, AFolderThisUserMayNotWriteIn) {
    { ProductionRecord record(file); }
    // The file may be written, but the write-ahead log beside it cannot be made.
    std::filesystem::permissions(file, std::filesystem::perms::all);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                             std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                                             std::filesystem::perms::others_exec);
    const std::string answer = openForWritingUnprivileged(file);
    EXPECT_NE(answer.rfind(std::to_string(int(Kind::ReadOnly)) + " ", 0), std::string::npos) << answer;
}

}  // namespace
}  // namespace pagerprog
