// A technician changing pagers by hand, for hands-free batches on the simulated devices:
// one pager per file of a folder, in the order of their names. Each is taken out a second
// after it was last written and the next is put in a second later; once the files are
// used up the socket stays empty.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/sim/simulated_pager.h"

namespace pagerprog {

class Clock;

class PagerSupply : public PagerSocket {
public:
    static constexpr std::int64_t kChangeMicros = 1'000'000;

    // Puts the first pager in. Throws std::runtime_error as SimulatedPager::keepIn does for
    // any of the files, or when the folder holds no file.
    PagerSupply(SimulatedPager& pager, Clock& clock, const std::string& folder);
    ~PagerSupply() override;
    PagerSupply(const PagerSupply&) = delete;
    PagerSupply& operator=(const PagerSupply&) = delete;

    bool pagerIn() override;
    void written() override;

    // The pager file in the socket, "" while it is empty.
    std::string current() const;

private:
    void changeWhenDue();

    SimulatedPager& pager_;
    Clock& clock_;
    std::vector<std::string> files_;
    std::size_t next_ = 0;  // the file of the next pager to go in
    bool in_ = false;
    std::optional<std::int64_t> outAt_, inAt_;
};

}  // namespace pagerprog
