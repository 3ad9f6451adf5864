// The production record of a session: every read, write and verify attempt of a pager
// is kept as one unit, with the port or programmer, the settings file, the image, the
// capcodes, the outcome and the exact status-log lines. A write is recorded, with the
// image the pager held, before its first byte goes to the pager, and completed after, so
// that a write cut short still shows and can be undone. Writes belong to a batch, which
// takes its number in the record when its first pager is about to be written. A unit the
// record cannot keep is told in the status log with a beep; no pager is written while the
// record that should account for it cannot keep it.
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
#include "app/record/production_record.h"

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
    std::optional<std::int64_t> originRow;    // a restore's source row
};

class Production {
public:
    Production(Context& ctx, PagerLink& link);
    ~Production();
    Production(const Production&) = delete;
    Production& operator=(const Production&) = delete;

    // Keeps the session's units in this file from now on. Throws RecordError when it
    // cannot be used; the session then writes no pager until a usable record is opened.
    void open(const std::filesystem::path& file);
    // Without a record (a session that never opened one) nothing is kept and nothing refused.
    bool used() const { return used_; }
    ProductionRecord* record() { return record_.get(); }
    const std::filesystem::path& path() const { return path_; }
    // Why the record cannot be used ("" when it can).
    const std::string& problem() const { return problem_; }
    // False while a record was asked for but cannot be used.
    bool usable() const { return !used_ || record_ != nullptr; }

    // The batch the next writes belong to: a new one, recorded when its first pager is
    // about to be written, or one resumed at its next unit.
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

    Context& ctx_;
    PagerLink& link_;
    // Asked once: the system's account lookup is no call for the threads of a gang.
    const std::string user_;
    bool used_ = false;
    std::unique_ptr<ProductionRecord> record_;
    std::filesystem::path path_;
    std::string problem_;
    std::optional<BatchStart> unrecordedBatch_;
    std::optional<std::int64_t> batchId_;
    std::string lastFailure_;
    int nextUnit_ = 1;
    std::optional<int> csvRow_;
};

}  // namespace pagerprog
