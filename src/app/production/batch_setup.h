// How a batch begins: started afresh (it takes its number in the record when its first
// pager is about to be written), resumed where a stopped one ended, with the settings
// edits, the steps and the capcode file it was started with, and its next unit, or joined
// while another bench programs it, exactly as that bench does. Whichever, what this bench's
// earlier runs left (units in the spool, writes cut short, units allocated) is settled first.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/production/batch.h"
#include "app/production/batch_station.h"

namespace pagerprog {

struct Context;
class Production;

// FIELD=VALUE edits, as the technician gave them.
using FieldEdits = std::vector<std::pair<std::string, std::string>>;

struct BatchRequest {
    int count = 1;
    bool countGiven = false;  // without it, a capcode file gives one pager a row
    std::string capcodeFile;  // "" none
    // A list of the pagers' serials, one a line, unit by unit ("" none).
    std::string serialFile;
    // The front end asks for each pager's serial (a scanner): no file may give them too.
    bool serialsScanned = false;
    std::optional<std::int64_t> resume;
    std::optional<std::int64_t> join;
    OnFailure onFailure = OnFailure::Reuse;
    // Typed into the loaded settings; a resumed batch takes its own instead and accepts
    // only steps (autoincN) here, a joined one none.
    FieldEdits edits;
};

// The batch, with the settings showing its first unit's capcodes and steps; nothing (after
// saying why through the front end) when it must not begin. A capcode file or serial list
// that cannot be read throws std::runtime_error naming the fault.
std::unique_ptr<Batch> beginBatch(Context& ctx, Production& production, const BatchRequest& request,
                                  BatchFrontEnd& frontEnd);

// The edits as the record keeps them with a batch, and back.
std::string recordedEdits(const FieldEdits& edits);
std::optional<FieldEdits> editsFromRecord(const std::string& text);

}  // namespace pagerprog
