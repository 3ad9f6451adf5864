#include "app/production/gang.h"

#include <thread>

#include "app/production/gang_station.h"
#include "app/production/production.h"
#include "app/record/record_error.h"

namespace pagerprog {

bool Gang::joinBatch(Production& member) {
    std::lock_guard lock(numbering_);
    std::optional<std::int64_t> number;
    try {
        number = bench_.recordBatch();
    } catch (const RecordError& error) {
        batch_.stop(std::string("the production record cannot number the batch: ") + error.what());
        return false;
    }
    if (number && member.batch() != number) {
        BatchState state;
        state.id = *number;
        state.nextUnit = member.nextUnit();  // the unit it is about to write
        member.resumeBatch(state);
    }
    return true;
}

// An error escaping a station (a capcode-file row no field takes, say) ends its programmer's
// part and the batch with it: the others finish the pager they are writing.
std::vector<GangMemberEnd> Gang::run(const std::vector<GangMember>& members, bool unique, const Ended& ended) {
    const auto started = std::chrono::steady_clock::now();
    std::vector<GangMemberEnd> ends(members.size());
    std::vector<std::jthread> threads;
    for (std::size_t i = 0; i < members.size(); ++i) {
        threads.emplace_back([this, i, &member = members[i], &end = ends[i], unique, &ended] {
            GangStation& station = *member.station;
            BatchStation runner(station.context(), station.commands().production(), batch_, *member.frontEnd, unique,
                                StationRole::GangMember, station.name());
            runner.joinWith([this, &station] { return joinBatch(station.commands().production()); });
            try {
                end.stop = runner.run();
                end.leftBecause = runner.leftBecause();
            } catch (const std::exception& error) {
                end.error = error.what();
                batch_.stop(error.what());
            }
            end.attempted = runner.attempted();
            if (ended) ended(i, end);
        });
    }
    threads.clear();
    elapsed_ = std::chrono::steady_clock::now() - started;
    return ends;
}

}  // namespace pagerprog
