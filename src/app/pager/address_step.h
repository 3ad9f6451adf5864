// How the capcodes step on after a verified write: addresses 1 to 4 by their increments,
// in the order the write workflow has always used, each pair's exit rules run after it.
#pragma once

#include <array>
#include <string>

#include "app/record/record_types.h"
#include "settings/settings_model.h"

namespace pagerprog {

// The address texts of the eight slots, address1 first.
using AddressTexts = std::array<std::string, kRecordSlots>;

// addressN := addressN + autoincN for the slots that step.
void stepAddresses(SettingsModel& model);

// The increments of the slots that step (autoinc1 to autoinc4).
inline constexpr int kSteppedSlots = 4;
using AddressSteps = std::array<long long, kSteppedSlots>;
AddressSteps shownSteps(const SettingsModel& model);

// The address texts `count` verified writes after `from`, without the rules.
AddressTexts steppedAddresses(const AddressTexts& from, const AddressSteps& steps, long long count);

// The address texts the model shows.
AddressTexts shownAddresses(const SettingsModel& model);

// Shows `addresses`, the changed ones set in the order a step sets them and their exit
// rules run after, so that the rules (frames, ranges, repeats) judge them as they judge a
// step. Nothing happens when they are shown already.
void showAddresses(SettingsModel& model, const AddressTexts& addresses);

}  // namespace pagerprog
