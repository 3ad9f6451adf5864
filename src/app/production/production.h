// The production record of a session: every read, write and verify attempt of a pager
// is kept as one unit, with the port or programmer, the settings file, the image, the
// capcodes, the outcome and the exact status-log lines. A write is recorded, with the
// image the pager held, before its first byte goes to the pager, and completed after, so
// that a write cut short still shows and can be undone. Writes belong to a batch, which
// takes its number in the record when its first pager is about to be written. A unit the
// record cannot keep is told in the status log with a beep; no pager is written while the
// record that should account for it cannot keep it. A record on a server shares a batch's
// units out among benches; a unit whose pager was written while the server was away waits
// in the spool until the server answers again.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/pager/pager_outcome.h"
#include "app/production/unit_hooks.h"
#include "app/record/production_record.h"
#include "app/record/spool.h"

namespace pagerprog {

class PagerLink;
struct Context;

// What one attempt did, as the workflow knows it.
struct PagerAttempt {
    Operation operation = Operation::Write;
    PagerOutcome outcome = PagerOutcome::Done;
    std::vector<std::string> statusLog;
    std::optional<Image> image;     // what was sent (write) or read (read, verify)
    std::optional<Image> previous;  // the pager's image as read before a write
    std::vector<ByteDifference> differences;
    SlotCapcodes capcodes{};  // the capcodes the pager got or holds
    std::chrono::steady_clock::duration duration{};
    std::optional<std::int64_t> recordedRow;  // the row recorded before the write began
    std::string recordedUid;                  // and its uid, so that its end finds it from the spool too
    std::optional<std::int64_t> originRow;    // a restore's source row
};

class Production {
public:
    Production(Context& ctx, PagerLink& link);
    ~Production();
    Production(const Production&) = delete;
    Production& operator=(const Production&) = delete;

    // Keeps the session's units in this record (a file or a server) from now on. Throws
    // RecordError when it cannot be used; the session then writes no pager until a usable
    // record is opened (a server that was away is tried again before each write).
    void open(const RecordLocation& location);
    void open(const std::filesystem::path& file) { open(RecordLocation::file(file)); }
    // Without a record (a session that never opened one) nothing is kept and nothing refused.
    bool used() const { return used_; }
    ProductionRecord* record() { return record_.get(); }
    const RecordLocation& location() const { return location_; }
    // Why the record cannot be used, or why its server did not answer ("" when it can and did).
    const std::string& problem() const { return problem_; }
    // False while a record was asked for but cannot be used.
    bool usable() const { return !used_ || record_ != nullptr; }

    // The spool of a server's record (defaultSpoolPath() unless set).
    const Spool& spool() const { return spool_; }
    void useSpool(const std::filesystem::path& file) { spool_ = Spool(file); }
    // Units of this record waiting in the spool (0 for a file).
    std::int64_t spooled() const;
    // The server did not answer the last time it was asked.
    bool serverAway() const { return serverAway_; }
    // Pushes the units waiting in the spool to the server; how many went. Throws RecordError.
    int pushSpool();
    // What a program that starts a batch finds of its own earlier runs: the units it kept in
    // the spool pushed, its writes cut short settled, its allocated units given back.
    void settleEarlierRuns();

    // The next unit of the batch for this program, the batch recorded first when it is new;
    // request's batch and first new unit are the batch's. Throws RecordError.
    UnitAllocation allocate(AllocationRequest request, const ProductionRecord::OwnCapcodes& ownCapcodes);
    // Gives a unit this program will not program back to the batch, when the record answers.
    void release(int unit);
    // A recorded batch, read from the record (opened again when its server was away).
    // Throws RecordError.
    std::optional<BatchState> batchState(std::int64_t id);

    // The batch the next writes belong to: a new one, recorded when its first pager is
    // about to be written, or one resumed or joined at its next unit.
    void startBatch(const BatchStart& start);
    void resumeBatch(const BatchState& state);
    // The batch's number, once it has one.
    std::optional<std::int64_t> batch() const { return batchId_; }
    // Records the batch now unless it has its number already (the programmers of a gang
    // all write into the batch their first pager records), and gives its number. Throws
    // RecordError when the record cannot keep it.
    std::optional<std::int64_t> recordBatch();
    int nextUnit() const { return nextUnit_; }
    // The unit of the batch the next write programs, and the capcode-file row it took.
    void setUnit(int number, std::optional<int> csvRow) {
        nextUnit_ = number;
        csvRow_ = csvRow;
    }

    // The serial on the label of the pager the next write or restore programs ("" none); it
    // goes with that attempt only.
    void setSerial(std::string serial) { serial_ = std::move(serial); }
    // Who works at the bench, recorded on every row beside the account ("" none).
    void setOperator(std::string name) { operator_ = std::move(name); }
    const std::string& operatorName() const { return operator_; }
    // The shop's programs run around each write (none by default). The post-unit hook runs
    // once a write has ended, with its row as it will be recorded; its ending becomes the
    // row's last status-log line, and then the row is completed.
    void setHooks(UnitHooks hooks) { hooks_ = std::move(hooks); }
    // Runs the pre-unit hook, if any, for the write about to begin; why it refuses the
    // pager, or nothing.
    std::optional<std::string> preUnitRefusal();

    // False (after saying why, with a beep) when a write must not go ahead because the
    // record cannot account for it.
    bool readyForWrite();
    // Records a write (or restore) before its first byte goes to the pager, with the image
    // the pager holds; false (after saying why, with a beep) when the record cannot keep it,
    // and then the pager must not be written.
    bool recordBeforeWrite(PagerAttempt& attempt);
    // Keeps one attempt, completing a write recorded before it began. False when it could
    // not be kept; the status log then says so.
    bool keep(PagerAttempt attempt);
    // Why the record could not account for the attempt under way ("" when it could).
    const std::string& lastFailure() const { return lastFailure_; }
    void beginAttempt() { lastFailure_.clear(); }

    // The capcodes of the eight slots as the window holds them, and as an image holds them
    // in the layout of the window's revision.
    static SlotCapcodes capcodesShown(const Context& ctx);
    static SlotCapcodes capcodesIn(const Context& ctx, const Image& image);
    // The auto-increment steps of the slots, "autoinc1=8 autoinc2=0 ...", as a batch keeps them.
    static std::string stepsShown(const Context& ctx);
    // A file as the record names it: absolute, so that it still says which file later.
    static std::string recordedPath(const std::string& path);
    // Every byte of `read` that differs from `expected`.
    static std::vector<ByteDifference> differences(const Image& expected, std::span<const std::uint8_t> read);

private:
    UnitRecord describe(const PagerAttempt& attempt) const;
    bool failed(const std::string& line);
    // Opens the record at location_; throws why it cannot.
    void connect();
    // Runs `call` on the record, opened again when its server was away; notes whether the
    // server answered.
    template <typename Call>
    auto onRecord(Call call) -> decltype(call(std::declval<ProductionRecord&>()));
    // A pager was written but its end cannot go to the server: the spool keeps it.
    bool spoolUnit(const UnitRecord& unit, const RecordError& why);
    BatchStart batchToRecord() const;
    void recordBatchOn(ProductionRecord& record);
    // Runs the post-unit hook on the row as it will be recorded; the line telling how it ended.
    std::string afterUnit(const PagerAttempt& attempt, const UnitRecord& unit);

    Context& ctx_;
    PagerLink& link_;
    // Asked once: the system's account lookup is no call for the threads of a gang.
    const std::string user_;
    bool used_ = false;
    std::unique_ptr<ProductionRecord> record_;
    RecordLocation location_;
    std::string problem_;
    bool serverAway_ = false;
    Spool spool_{defaultSpoolPath()};
    std::optional<BatchStart> unrecordedBatch_;
    std::optional<std::int64_t> batchId_;
    std::string lastFailure_;
    int nextUnit_ = 1;
    int firstNewUnit_ = 1;
    std::optional<int> csvRow_;
    std::string serial_;
    std::string operator_;
    UnitHooks hooks_;
};

}  // namespace pagerprog
