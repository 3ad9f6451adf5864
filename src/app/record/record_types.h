// What the production record keeps: one row per read, write or verify attempt of a pager,
// and the batches that group the writes of a production run. Plain data in standard
// types, so that both front ends fill and show it without knowing the database.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/eeprom_image.h"

namespace pagerprog {

inline constexpr int kRecordSlots = 8;

enum class Operation { Read, Write, Verify, Restore };

// Short outcome codes; the status-log lines beside them say the rest. A write whose
// verify passed has the outcome `ok`, and only such a write counts as a capcode that
// went into a pager.
namespace outcome {
inline constexpr std::string_view ok = "ok";
inline constexpr std::string_view verifyFailed = "verify-failed";
inline constexpr std::string_view writeFailed = "write-failed";
inline constexpr std::string_view noDevice = "no-device";
inline constexpr std::string_view badChecksum = "bad-checksum";
inline constexpr std::string_view programmerError = "programmer-error";
inline constexpr std::string_view otherCustomer = "other-customer";
inline constexpr std::string_view refused = "refused";
inline constexpr std::string_view cancelled = "cancelled";
inline constexpr std::string_view portRemoved = "port-removed";
inline constexpr std::string_view retired = "retired";  // a failed unit's capcodes, given to no other pager
// A write recorded before its first byte went to the pager, whose end is not recorded yet;
// once the program that wrote it is gone, it was interrupted.
inline constexpr std::string_view inProgress = "in-progress";
inline constexpr std::string_view interrupted = "interrupted";
}  // namespace outcome

struct SlotCapcode {
    std::uint32_t capcode = 0;
    bool enabled = false;
    bool operator==(const SlotCapcode&) const = default;
};
using SlotCapcodes = std::array<SlotCapcode, kRecordSlots>;

// One byte the verify read back differently from what was written.
struct ByteDifference {
    std::uint16_t address = 0;
    std::uint8_t expected = 0;
    std::uint8_t read = 0;
    bool operator==(const ByteDifference&) const = default;
};

struct UnitRecord {
    std::string time;  // ISO 8601 UTC with milliseconds; add() puts the present time in when empty
    Operation operation = Operation::Write;
    std::string programVersion;
    std::string user;
    std::string host;
    std::string port;    // device path of the parallel port or the programmer
    std::string vidPid;  // "VVVV:PPPP" of a USB programmer, empty on the parallel port
    std::string settingsPath;
    std::string settingsSha256;  // of the settings file as loaded, lower-case hex
    std::string imageSha256;     // of the 2048 bytes sent to the pager
    SlotCapcodes capcodes{};
    std::string frequency;  // as the frequency field shows it
    std::string customer;
    std::string revision;
    std::string outcome;
    std::vector<std::string> statusLog;       // the exact status-log lines of the attempt
    std::vector<ByteDifference> differences;  // every differing byte of a failed verify
    std::int64_t durationMs = 0;
    std::optional<std::int64_t> batchId;
    std::optional<int> unitNumber;       // 1 for the first pager of the batch
    std::optional<int> csvRow;           // the row of the capcode file this unit took
    std::optional<Image> previousImage;  // the pager's image as read before the write
    std::optional<Image> writtenImage;   // what a write sends, kept while it is under way
    // Made by the program that recorded the unit, so that a unit sent twice is one row.
    std::string uid;
    std::optional<std::int64_t> pid;  // the process that wrote it, to tell a write cut short
    std::string programmer;           // the USB programmer's port path ("1-2.3"); empty on the parallel port
    std::string programmerSerial;     // the programmer's own serial string, where it has one
    std::string serial;               // the serial on the label of the pager
    std::string operatorName;         // who ran it, beside the account
    std::string origin;               // the record a copied unit came from
    std::optional<std::int64_t> originRow;
    // The post-unit hook the unit was handed to; how it ended is the last line of its status
    // log (a write's row is recorded before the hook runs and is never changed).
    std::string hook;
    bool operator==(const UnitRecord&) const = default;
};

// A unit as the record gives it back. The images stay in the database (fetch them with
// ProductionRecord::previousImage and writtenImage), so the unit's own are empty.
struct StoredUnit {
    std::int64_t id = 0;
    UnitRecord unit;
    bool previousImageKept = false;
};

enum class CapcodeSource { Stepping, CsvFile };

struct BatchStart {
    std::string time;  // filled like UnitRecord::time
    std::string settingsPath;
    std::string settingsSha256;
    int countAsked = 0;
    CapcodeSource capcodeSource = CapcodeSource::Stepping;
    std::string csvPath;  // with CapcodeSource::CsvFile
    // The auto-increment fields as "autoinc1=8 autoinc2=0 ..."; none for a batch recorded
    // before the record kept them.
    std::optional<std::string> steps;
    // The edits the settings were given, as FIELD=VALUE words, so that a resumed batch
    // writes what its first pager got; none for a batch recorded before the record kept them.
    std::optional<std::string> edits;
    std::string csvSha256;  // of the capcode file, with CapcodeSource::CsvFile
    // Made by the program that started it, so that a batch sent twice is one; filled by
    // startBatch() when empty.
    std::string uid;
    bool operator==(const BatchStart&) const = default;
};

// Where a stopped batch goes on from.
struct BatchState {
    std::int64_t id = 0;
    BatchStart start;
    int verifiedUnits = 0;                     // distinct unit numbers written and verified
    int nextUnit = 1;                          // one past the highest verified unit
    std::optional<SlotCapcodes> lastCapcodes;  // what the highest verified unit got
    std::optional<int> csvRow;                 // the capcode-file row that unit took
};

// Filters of a record query, all optional and combined; newest first. Each member has an
// initializer so that designated initializers may leave any of them out.
struct RecordQuery {
    std::optional<std::int64_t> batchId{};
    std::optional<std::string> since{};      // normalised ISO 8601 UTC (see record_time.h)
    std::optional<std::string> until{};      // before this time, in the same form
    std::optional<std::uint32_t> capcode{};  // in any of the eight slots, enabled or not
    std::optional<std::string> serial{};     // the pager's unit serial, exactly
    std::optional<Operation> operation{};
    std::optional<int> limit{};
};

// A batch's units as the benches sharing it take them: free (made ahead, not taken yet),
// allocated to one, then verified, failed (the next pager that takes a unit gets its
// capcodes), retired (its capcodes are never used again) or released (given back before its
// pager was written).
namespace unit_state {
inline constexpr std::string_view free = "free";
inline constexpr std::string_view allocated = "allocated";
inline constexpr std::string_view verified = "verified";
inline constexpr std::string_view failed = "failed";
inline constexpr std::string_view retired = "retired";
inline constexpr std::string_view released = "released";
}  // namespace unit_state

// A capcode that is the pager's own (its slot steps through the batch or the capcode file
// sets it): the unit claims it so that no other unit gets it.
struct OwnCapcode {
    int slot = 0;
    std::uint32_t capcode = 0;
};

struct AllocationRequest {
    std::int64_t batchId = 0;  // 0: the batch is recorded first, in the same transaction
    std::optional<BatchStart> newBatch{};
    int firstNewUnit = 1;           // the units below it the batch had before it was shared
    std::optional<int> lastUnit{};  // no new unit above it: the capcode file's last row
    bool retireFailures = false;    // a failed pager's capcodes are retired, not given to the next
    bool unique = false;            // a capcode claimed by or verified into another unit refuses the unit
    std::vector<int> held{};        // the units this program is programming now
};

// An own capcode of the unit that another unit holds.
struct CapcodeConflict {
    int slot = 0;
    std::uint32_t capcode = 0;
    std::string holder;  // "record row 12, TIME" for a verified pager, else "unit 4 of batch 2"
};

struct UnitAllocation {
    std::int64_t batchId = 0;  // the batch recorded for a new one
    // None: the batch has no unit left, or (with `unique`) the unit was refused; a new
    // batch is then not recorded either.
    std::optional<int> unit;
    std::vector<CapcodeConflict> conflicts;
};

// A unit allocated to a bench that has no result yet.
struct AllocatedUnit {
    std::int64_t batchId = 0;
    int unit = 0;
    std::string host;
    std::optional<std::int64_t> pid;
    std::string time;
};

std::string_view operationName(Operation operation);
std::optional<Operation> operationFromName(std::string_view name);
std::string_view capcodeSourceName(CapcodeSource source);
std::optional<CapcodeSource> capcodeSourceFromName(std::string_view name);

}  // namespace pagerprog
