// The production record: one SQLite file that keeps every read, write and verify attempt
// of both front ends, the batches of a production run, and the images pagers held before
// they were written. Every call either does its whole job or throws a RecordError, whose
// message the caller must show: a unit is never dropped without a word.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "app/record/record_error.h"
#include "app/record/record_types.h"

namespace pagerprog {

struct RecordOpenOptions {
    // Reading never creates, changes or migrates the file (the log and restore commands).
    bool readOnly = false;
    // How long to wait for another program's write before calling the record locked.
    int busyTimeoutMs = 2000;
    // Each added unit reaches the disk before add() returns, so not even a power cut loses
    // a pager that was programmed. Off, a power cut may lose the last units (a killed
    // program still loses none); only for bulk work where that does not matter.
    bool flushEachUnit = true;
};

class ProductionRecord {
public:
    // Opens the record, creating it and its folder when writing and it does not exist yet,
    // and brings an older one up to date. Throws RecordError when the file cannot be used.
    explicit ProductionRecord(const std::filesystem::path& file, RecordOpenOptions options = {});
    ~ProductionRecord();
    ProductionRecord(const ProductionRecord&) = delete;
    ProductionRecord& operator=(const ProductionRecord&) = delete;

    const std::filesystem::path& path() const;

    // Adds one attempt in one transaction and returns its row id.
    std::int64_t add(const UnitRecord& unit);
    // A write recorded before its first byte goes to the pager, with the image the pager
    // held (its outcome "in-progress"); complete() adds how it ended, and the status-log
    // lines. Neither changes a row once written.
    std::int64_t begin(const UnitRecord& unit);
    void complete(std::int64_t id, const UnitRecord& unit);
    // Ends the writes this host began whose program is gone, as interrupted; how many.
    int settleInterrupted();
    // Returns the new batch's id.
    std::int64_t startBatch(const BatchStart& batch);

    // Newest first (by time, then by row id).
    std::vector<StoredUnit> find(const RecordQuery& query) const;
    std::optional<StoredUnit> unit(std::int64_t id) const;
    // The image the pager held before that attempt, when it was kept.
    std::optional<Image> previousImage(std::int64_t id) const;
    // The image a write recorded before it began was sending.
    std::optional<Image> writtenImage(std::int64_t id) const;
    // Empty for an unknown batch.
    std::optional<BatchState> batchState(std::int64_t batchId) const;
    // The latest write that was verified with this capcode in an enabled slot. Disabled
    // slots do not count: a pager does not listen on them, and they often hold the
    // template's capcodes in every pager of a run.
    std::optional<StoredUnit> verifiedWithCapcode(std::uint32_t capcode) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace pagerprog
