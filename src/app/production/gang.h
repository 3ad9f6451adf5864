// A gang: several programmers working through one batch at once, each in a thread of its
// own with a station of its own, taking the batch's units one at a time. A pager that fails
// is its unit's alone; a programmer that fails or goes away leaves the gang and the others
// go on. The batch takes its number in the record when the first pager of any programmer
// is about to be written, and every programmer writes into it.
#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "app/production/batch_station.h"

namespace pagerprog {

class GangStation;
class Production;

struct GangMember {
    GangStation* station;
    BatchFrontEnd* frontEnd;
};

// How one programmer's part ended.
struct GangMemberEnd {
    StationStop stop = StationStop::Done;
    std::string leftBecause;  // StationStop::ProgrammerLeft: why
    std::string error;        // an error that ended its part, and the batch with it
    int attempted = 0;
};

class Gang {
public:
    // `bench` is the production that began the batch (started or resumed it).
    Gang(Batch& batch, Production& bench) : batch_(batch), bench_(bench) {}

    // Before a member takes a unit: the batch's number, recorded now if it has none,
    // goes to the member's production. False (the batch stopped, with why) when the record
    // cannot number the batch.
    bool joinBatch(Production& member);

    // Runs every member until the batch has nothing left for any of them; `ended` hears of
    // each member's end in its thread as it comes. The ends in the members' order; the time
    // it took is in elapsed().
    using Ended = std::function<void(std::size_t member, const GangMemberEnd& end)>;
    std::vector<GangMemberEnd> run(const std::vector<GangMember>& members, bool unique, const Ended& ended);
    std::chrono::steady_clock::duration elapsed() const { return elapsed_; }

private:
    Batch& batch_;
    Production& bench_;
    std::mutex numbering_;
    std::chrono::steady_clock::duration elapsed_{};
};

}  // namespace pagerprog
