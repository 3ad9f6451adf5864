#include "link/sim/pager_supply.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "link/clock.h"
#include "settings/settings_file.h"

namespace pagerprog {

namespace {

// pager-001.eep, ...: names that sort in the order the pagers go in.
std::vector<std::string> makeFreshPagers(const std::string& folder, int count) {
    std::vector<std::string> made;
    const std::size_t digits = std::max<std::size_t>(3, std::to_string(count).size());
    for (int number = 1; number <= count; ++number) {
        const std::string digitsOf = std::to_string(number);
        const std::string name = "pager-" + std::string(digits - digitsOf.size(), '0') + digitsOf + ".eep";
        const std::string path = (std::filesystem::path(folder) / name).string();
        const SaveOutcome outcome = writeImageFile(path, SimulatedPager::factoryImage());
        if (!outcome.saved)
            throw std::runtime_error("the simulated pager file " + path + " cannot be made: " + outcome.error);
        made.push_back(path);
    }
    return made;
}

}  // namespace

PagerSupply::PagerSupply(SimulatedPager& pager, Clock& clock, const std::string& folder, int freshPagers)
    : pager_(pager), clock_(clock) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) files_.push_back(entry.path().string());
    std::sort(files_.begin(), files_.end());
    if (files_.empty() && freshPagers > 0) {
        files_ = makeFreshPagers(folder, freshPagers);
        made_ = freshPagers;
    }
    if (files_.empty())
        throw std::runtime_error("the folder of simulated pagers " + folder +
                                 " holds no pager file (with --count N an empty folder is filled with N "
                                 "factory-fresh pagers)");
    // Every pager is looked at now, so that a file that is no pager stops a batch before
    // its first unit rather than halfway.
    for (const std::string& file : files_) SimulatedPager().keepIn(file);
    pager_.keepIn(files_[next_++]);
    in_ = true;
    pager_.sitIn(this);
}

PagerSupply::~PagerSupply() { pager_.sitIn(nullptr); }

void PagerSupply::written() {
    if (in_) outAt_ = clock_.nowMicros() + kChangeMicros;
}

void PagerSupply::changeWhenDue() {
    const std::int64_t now = clock_.nowMicros();
    if (in_ && outAt_ && now >= *outAt_) {
        in_ = false;
        // The next pager goes in a second after the last went out, not after the socket was
        // next looked at: a window asks only when the technician writes again.
        if (next_ < files_.size()) inAt_ = *outAt_ + kChangeMicros;
        outAt_.reset();
    }
    if (!in_ && inAt_ && now >= *inAt_) {
        pager_ = SimulatedPager();
        pager_.keepIn(files_[next_++]);
        pager_.sitIn(this);
        in_ = true;
        inAt_.reset();
    }
}

bool PagerSupply::pagerIn() {
    changeWhenDue();
    return in_;
}

std::string PagerSupply::current() const { return in_ ? files_[next_ - 1] : ""; }

}  // namespace pagerprog
