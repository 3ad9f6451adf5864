// A technician changing pagers by hand, for hands-free batches on the simulated devices:
// one pager per file of a folder, in the order of their names. Each is taken out a second
// after it was last written and the next is put in a second later; once the files are
// used up the socket stays empty. An empty folder can be filled with factory-fresh pagers
// first, for training and trying batches without a drawer of real ones.
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

    // Puts the first pager in; an empty folder is first filled with `freshPagers`
    // factory-fresh pager files. Throws std::runtime_error as SimulatedPager::keepIn does
    // for any of the files, when a file cannot be made, or when the folder holds no file.
    PagerSupply(SimulatedPager& pager, Clock& clock, const std::string& folder, int freshPagers = 0);
    ~PagerSupply() override;
    PagerSupply(const PagerSupply&) = delete;
    PagerSupply& operator=(const PagerSupply&) = delete;

    bool pagerIn() override;
    void written() override;

    // The pager file in the socket, "" while it is empty.
    std::string current() const;
    // How many factory-fresh pager files the folder was filled with.
    int made() const { return made_; }

private:
    void changeWhenDue();

    SimulatedPager& pager_;
    Clock& clock_;
    std::vector<std::string> files_;
    int made_ = 0;
    std::size_t next_ = 0;  // the file of the next pager to go in
    bool in_ = false;
    std::optional<std::int64_t> outAt_, inAt_;
};

}  // namespace pagerprog
