// How a batch begins: started afresh in the production record, or resumed where a stopped
// one ended, with the steps and the capcode file it was started with and its next unit.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/production/batch.h"
#include "app/production/batch_station.h"

namespace pagerprog {

struct Context;
class Production;

struct BatchRequest {
    int count = 1;
    bool countGiven = false;  // without it, a capcode file gives one pager a row
    std::string capcodeFile;  // "" none
    std::optional<std::int64_t> resume;
    OnFailure onFailure = OnFailure::Reuse;
    bool stepsGiven = false;  // the settings were given steps of their own (autoinc1=8, say)
};

// The batch, with the settings showing its first unit's capcodes and steps; nothing (after
// saying why through the front end) when it must not begin. A capcode file that cannot be
// read throws std::runtime_error naming the fault.
std::unique_ptr<Batch> beginBatch(Context& ctx, Production& production, const BatchRequest& request,
                                  BatchFrontEnd& frontEnd);

}  // namespace pagerprog
