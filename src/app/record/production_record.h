// The production record: every read, write and verify attempt of both front ends, the
// batches of a production run and how their units are shared out, the capcodes each unit
// claims, and the images pagers held before they were written. It lives in an SQLite file
// (one bench) or on a PostgreSQL server (a shop's benches), with the same tables, queries
// and answers. Every call either does its whole job or throws a RecordError, whose message
// the caller must show: a unit is never dropped without a word.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/record/record_error.h"
#include "app/record/record_location.h"
#include "app/record/record_types.h"

namespace pagerprog {

struct RecordOpenOptions {
    // Reading never creates, changes or migrates the record (the log and restore commands).
    bool readOnly = false;
    // How long to wait for another program's write before calling a record file locked.
    int busyTimeoutMs = 2000;
    // Each added unit reaches the disk before add() returns, so not even a power cut loses
    // a pager that was programmed. Off, a power cut may lose the last units (a killed
    // program still loses none); only for bulk work where that does not matter. A server
    // keeps its own setting (synchronous_commit).
    bool flushEachUnit = true;
};

class ProductionRecord {
public:
    // Opens the record, creating a file and its folder when writing and it does not exist
    // yet, and brings an older one up to date. Throws RecordError when it cannot be used: a
    // server's record must have been set up (setUpServerRecord) by its administrator.
    explicit ProductionRecord(const RecordLocation& location, RecordOpenOptions options = {});
    explicit ProductionRecord(const std::filesystem::path& file, RecordOpenOptions options = {})
        : ProductionRecord(RecordLocation::file(file), options) {}
    ~ProductionRecord();
    ProductionRecord(const ProductionRecord&) = delete;
    ProductionRecord& operator=(const ProductionRecord&) = delete;

    const RecordLocation& location() const;
    // "the production record FILE" or "the production record on SERVER", for messages.
    const std::string& name() const;

    // Adds one attempt in one transaction and returns its row id. A unit whose uid the
    // record holds already is not added again: its row id comes back.
    std::int64_t add(const UnitRecord& unit);
    // A write recorded before its first byte goes to the pager, with the image the pager
    // held (its outcome "in-progress"); complete() adds how it ended, and the status-log
    // lines. Neither changes a row once written.
    std::int64_t begin(const UnitRecord& unit);
    void complete(std::int64_t id, const UnitRecord& unit);
    // Brings a unit kept elsewhere while this record could not be reached: adds it, or
    // completes the row begun with its uid. False when the record had it whole already.
    bool push(const UnitRecord& unit);
    // Ends the writes this host began whose program is gone, as interrupted; how many.
    int settleInterrupted();
    // Returns the new batch's id (the one recorded already, for a batch of a known uid).
    std::int64_t startBatch(const BatchStart& batch);

    // Hands the next unit of a batch to this program, in one transaction: a unit a failed
    // pager left (unless it was retired) or one given back, lowest first, else the next new
    // one; each of its own capcodes is claimed for it. A capcode another unit claimed or
    // that is verified into another pager is a conflict: with `unique` the unit is not
    // allocated. `ownCapcodes` gives a unit's own capcodes. A new batch is recorded in the
    // same transaction, so that it takes a number only with its first unit.
    using OwnCapcodes = std::function<std::vector<OwnCapcode>(int unit)>;
    UnitAllocation allocateUnit(const AllocationRequest& request, const OwnCapcodes& ownCapcodes);
    // Gives a unit allocated to some bench back to the batch; the bench that held it, or
    // nothing when the unit was not allocated.
    std::optional<AllocatedUnit> releaseUnit(std::int64_t batchId, int unit);
    // Gives back the units allocated to programs of this host that are gone; how many.
    int releaseAbandoned();
    // Units allocated without a result yet, of one batch or all, by batch and unit.
    std::vector<AllocatedUnit> allocatedUnits(std::optional<std::int64_t> batchId = std::nullopt) const;

    // Newest first (by time, then by row id).
    std::vector<StoredUnit> find(const RecordQuery& query) const;
    std::optional<StoredUnit> unit(std::int64_t id) const;
    std::optional<StoredUnit> unitWithUid(const std::string& uid) const;
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

    // The record's schema version: an open record is at this program's, or was refused.
    int schemaVersion() const;
    std::int64_t unitCount() const;

    // Copies every unit and batch of `source` into this record, each unit naming where it
    // came from (origin, origin_row); what an earlier copy brought is not copied again.
    // `progress` hears how many units were looked at. Returns the units copied.
    std::int64_t copyFrom(const ProductionRecord& source, const std::function<void(std::int64_t)>& progress = {});

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace pagerprog
