#include "app/pager/address_step.h"

#include "settings/conversion.h"
#include "settings/field_names.h"

namespace pagerprog {

namespace {

// The slots a step sets, in its order, and the pairs whose exit rules run after each half.
constexpr int kStepOrder[] = {2, 1, 4, 3};

std::size_t at(int slot) { return static_cast<std::size_t>(slot - 1); }

// Slots 1 to 4 set as a step sets them, each pair's exit rules run after it.
void setSteppedSlots(SettingsModel& m, const AddressTexts& addresses) {
    for (std::size_t half = 0; half < 2; ++half) {
        const int second = kStepOrder[2 * half], first = kStepOrder[2 * half + 1];
        m.setText(field::address(second), addresses[at(second)]);
        m.setText(field::address(first), addresses[at(first)]);
        m.fireExit(field::address(first));
        m.fireExit(field::address(second));
    }
}

}  // namespace

void stepAddresses(SettingsModel& m) { setSteppedSlots(m, steppedAddresses(shownAddresses(m), shownSteps(m), 1)); }

AddressSteps shownSteps(const SettingsModel& model) {
    AddressSteps steps{};
    for (int slot = 1; slot <= kSteppedSlots; ++slot) steps[at(slot)] = parseInteger(model.text(field::autoinc(slot)));
    return steps;
}

AddressTexts shownAddresses(const SettingsModel& model) {
    AddressTexts texts;
    for (int slot = 1; slot <= kRecordSlots; ++slot) texts[at(slot)] = model.text(field::address(slot));
    return texts;
}

AddressTexts steppedAddresses(const AddressTexts& from, const AddressSteps& steps, long long count) {
    AddressTexts texts = from;
    if (count == 0) return texts;
    for (int slot = 1; slot <= kSteppedSlots; ++slot)
        texts[at(slot)] = formatInteger(parseInteger(from[at(slot)]) + count * steps[at(slot)]);
    return texts;
}

void showAddresses(SettingsModel& m, const AddressTexts& addresses) {
    if (shownAddresses(m) == addresses) return;
    for (int slot = kSteppedSlots + 1; slot <= kRecordSlots; ++slot) {
        if (m.text(field::address(slot)) == addresses[at(slot)]) continue;
        m.setText(field::address(slot), addresses[at(slot)]);
        m.fireExit(field::address(slot));
    }
    setSteppedSlots(m, addresses);
}

}  // namespace pagerprog
