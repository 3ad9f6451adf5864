// Units a production record on a server could not take once their pager had been written:
// kept in a local SQLite file until the server answers again, and pushed then (record.push,
// which knows each unit by its uid, so that a unit pushed twice is still one row). A unit
// waits for the server it belongs to, named as RecordLocation::shown() names it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/record/record_types.h"

namespace pagerprog {

class ProductionRecord;

class Spool {
public:
    explicit Spool(std::filesystem::path file) : file_(std::move(file)) {}
    const std::filesystem::path& path() const { return file_; }

    // Keeps the unit, its images and status log with it, until it is pushed; a unit kept
    // again replaces what was kept of it. Throws RecordError when the file cannot keep it.
    void keep(const std::string& record, const UnitRecord& unit) const;
    // The units waiting for that record, oldest first; none when there is no spool yet.
    std::vector<UnitRecord> waiting(const std::string& record) const;
    std::int64_t count(const std::string& record) const;
    // The record has the unit now.
    void remove(const std::string& uid) const;
    // Pushes the units waiting for `record` to it, oldest first, each gone from the spool
    // once the record has it; how many went. Throws RecordError where one could not go.
    int pushTo(ProductionRecord& record) const;

private:
    std::filesystem::path file_;
};

// The spool beside the default record: spool.sqlite in its folder ("" without one).
std::filesystem::path defaultSpoolPath();

// A unit as the spool keeps it, and back: every column of the column table, the slots,
// the status log and the images, bytes kept exactly.
std::vector<std::uint8_t> encodeUnit(const UnitRecord& unit);
// Nothing for bytes that are no unit.
std::optional<UnitRecord> decodeUnit(const std::vector<std::uint8_t>& bytes);

}  // namespace pagerprog
