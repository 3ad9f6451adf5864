#include "app/production/batch.h"

#include <algorithm>
#include <chrono>
#include <limits>

namespace pagerprog {

bool reachedThePager(PagerOutcome outcome) { return outcome != PagerOutcome::Refused; }

std::string_view onFailureName(OnFailure onFailure) { return onFailure == OnFailure::Skip ? "skip" : "reuse"; }

std::optional<OnFailure> onFailureFromName(std::string_view name) {
    for (const OnFailure onFailure : {OnFailure::Reuse, OnFailure::Skip})
        if (onFailureName(onFailure) == name) return onFailure;
    return std::nullopt;
}

Batch::Batch(CapcodePlan plan, int count, OnFailure onFailure)
    : plan_(std::move(plan)), count_(count), onFailure_(onFailure), nextNew_(plan_.firstUnit) {}

std::vector<int> Batch::ownSlots(int slots) const {
    std::vector<int> own;
    for (int slot = 1; slot <= slots; ++slot) {
        const auto at = static_cast<std::size_t>(slot - 1);
        const bool fromFile = std::any_of(plan_.rows.begin(), plan_.rows.end(),
                                          [at](const CapcodeRow& row) { return row.addresses[at].has_value(); });
        const bool steps = slot <= kSteppedSlots && plan_.steps[at] != 0;
        if (fromFile || steps) own.push_back(slot);
    }
    if (own.empty())
        for (int slot = 1; slot <= slots; ++slot) own.push_back(slot);
    return own;
}

BatchUnit Batch::unitAt(int number) const {
    BatchUnit unit;
    unit.number = number;
    unit.addresses = steppedAddresses(plan_.base, plan_.steps, number - plan_.firstUnit);
    // A unit below the first (given back in a batch resumed past it) has its row before.
    const long long row = static_cast<long long>(plan_.firstRow) + (number - plan_.firstUnit);
    if (row >= 0 && row < static_cast<long long>(plan_.rows.size()))
        unit.row = plan_.rows[static_cast<std::size_t>(row)];
    const long long serial = number - plan_.firstUnit;
    if (serial >= 0 && serial < static_cast<long long>(plan_.serials.size()))
        unit.serial = plan_.serials[static_cast<std::size_t>(serial)];
    if (unit.row && unit.row->serial) unit.serial = *unit.row->serial;
    return unit;
}

std::optional<int> Batch::lastUnit() const {
    if (plan_.rows.empty()) return std::nullopt;
    return plan_.firstUnit + static_cast<int>(plan_.rows.size()) - static_cast<int>(plan_.firstRow) - 1;
}

std::optional<int> Batch::nextNumber() const {
    // Units the record hands out do not move nextNew_, so the settled ones count too.
    if (!stopped_.empty() || static_cast<int>(settled_.size()) >= count_) return std::nullopt;
    if (!again_.empty()) return *again_.begin();
    if (nextNew_ >= plan_.firstUnit + count_) return std::nullopt;
    return nextNew_;
}

std::optional<BatchUnit> Batch::take() {
    std::lock_guard lock(mutex_);
    const std::optional<int> number = nextNumber();
    if (!number) return std::nullopt;
    BatchUnit next = unitAt(*number);
    if (again_.erase(*number) == 0) {
        if (!plan_.rows.empty() && !next.row) {
            stopped_ = "the capcode file has no more rows";
            changed_.notify_all();
            return std::nullopt;
        }
        ++nextNew_;
    }
    out_.insert(*number);
    return next;
}

std::optional<BatchUnit> Batch::takeAllocated(const Allocate& allocate) {
    std::lock_guard lock(mutex_);
    if (!stopped_.empty() || static_cast<int>(settled_.size() + out_.size()) >= count_) return std::nullopt;
    const std::optional<int> number = allocate(std::vector<int>(out_.begin(), out_.end()));
    if (!number) return std::nullopt;
    out_.insert(*number);
    again_.erase(*number);
    return unitAt(*number);
}

std::optional<BatchUnit> Batch::takeOrAwait(const std::function<bool()>& giveUp, const Allocate* allocate) {
    constexpr auto kAskEvery = std::chrono::milliseconds(100);
    while (true) {
        if (auto next = allocate ? takeAllocated(*allocate) : take()) return next;
        std::unique_lock lock(mutex_);
        // A unit still out comes back when it fails with OnFailure::Reuse.
        if (!stopped_.empty() || out_.empty() || onFailure_ == OnFailure::Skip) return std::nullopt;
        changed_.wait_for(lock, kAskEvery);
        lock.unlock();
        if (giveUp()) return std::nullopt;
    }
}

void Batch::settle(const UnitResult& result) {
    std::lock_guard lock(mutex_);
    results_.push_back(result);
    if (const auto held = out_.find(result.unit); held != out_.end()) out_.erase(held);
    if (result.outcome == PagerOutcome::Done || (onFailure_ == OnFailure::Skip && reachedThePager(result.outcome)))
        settled_.insert(result.unit);
    else if (!out_.contains(result.unit))  // else another programmer holds it already
        again_.insert(result.unit);
    changed_.notify_all();
}

void Batch::stop(const std::string& why) {
    std::lock_guard lock(mutex_);
    if (stopped_.empty()) stopped_ = why;
    changed_.notify_all();
}

bool Batch::stopped() const {
    std::lock_guard lock(mutex_);
    return !stopped_.empty();
}

bool Batch::finished() const {
    std::lock_guard lock(mutex_);
    return !stopped_.empty() || static_cast<int>(settled_.size()) >= count_ ||
           (!nextNumber() && (out_.empty() || onFailure_ == OnFailure::Skip));
}

std::optional<BatchUnit> Batch::upcoming() const {
    std::lock_guard lock(mutex_);
    const std::optional<int> number = nextNumber();
    return number ? std::optional(unitAt(*number)) : std::nullopt;
}

void Batch::stopAtRefusedCapcodes(const std::string& why) {
    stop(why);
    std::lock_guard lock(mutex_);
    nextRefused_ = true;
}

// The lowest unit neither verified nor retired: the one the next pager would get. A joined
// batch's units begin where the record handed them out, past the plan's first; a unit given
// back below the first does not count.
int Batch::lowestOpenUnit() const {
    int number = std::numeric_limits<int>::max();
    for (const UnitResult& result : results_)
        if (result.unit >= plan_.firstUnit) number = std::min(number, result.unit);
    if (number == std::numeric_limits<int>::max()) number = plan_.firstUnit;
    while (settled_.count(number)) ++number;
    return number;
}

Batch::Figures Batch::figures() const {
    std::lock_guard lock(mutex_);
    Figures figures;
    figures.results = results_;
    figures.verified = static_cast<int>(std::count_if(
        results_.begin(), results_.end(), [](const UnitResult& r) { return r.outcome == PagerOutcome::Done; }));
    figures.stopped = stopped_;
    figures.nextRefused = nextRefused_;
    figures.next = unitAt(lowestOpenUnit());
    if (figures.next.row) figures.nextRow = figures.next.row->sheetRow;
    return figures;
}

}  // namespace pagerprog
