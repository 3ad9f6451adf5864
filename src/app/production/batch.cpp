#include "app/production/batch.h"

#include <algorithm>

namespace pagerprog {

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

std::optional<BatchUnit> Batch::take() {
    std::lock_guard lock(mutex_);
    if (!stopped_.empty()) return std::nullopt;
    if (!again_.empty()) {
        const int number = *again_.begin();
        again_.erase(again_.begin());
        return unitAt(number);
    }
    if (nextNew_ >= plan_.firstUnit + count_) return std::nullopt;
    BatchUnit next = unitAt(nextNew_);
    if (!plan_.rows.empty() && !next.row) {
        stopped_ = "the capcode file has no more rows";
        return std::nullopt;
    }
    ++nextNew_;
    return next;
}

std::optional<BatchUnit> Batch::takeAllocated(const Allocate& allocate) {
    std::lock_guard lock(mutex_);
    if (!stopped_.empty() || static_cast<int>(settled_.size() + held_.size()) >= count_) return std::nullopt;
    const std::optional<int> number = allocate(std::vector<int>(held_.begin(), held_.end()));
    if (!number) return std::nullopt;
    held_.insert(*number);
    return unitAt(*number);
}

void Batch::settle(const UnitResult& result) {
    std::lock_guard lock(mutex_);
    held_.erase(result.unit);
    results_.push_back(result);
    if (result.outcome == PagerOutcome::Done || onFailure_ == OnFailure::Skip)
        settled_.insert(result.unit);
    else
        again_.insert(result.unit);
}

void Batch::stop(const std::string& why) {
    std::lock_guard lock(mutex_);
    if (stopped_.empty()) stopped_ = why;
}

void Batch::stopAtRefusedCapcodes(const std::string& why) {
    stop(why);
    std::lock_guard lock(mutex_);
    nextRefused_ = true;
}

// The lowest unit neither verified nor retired: the one the next pager would get.
int Batch::lowestOpenUnit() const {
    int number = plan_.firstUnit;
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
    if (const auto& row = unitAt(lowestOpenUnit()).row) figures.nextRow = row->sheetRow;
    return figures;
}

}  // namespace pagerprog
