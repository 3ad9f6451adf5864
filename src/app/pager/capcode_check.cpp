#include "app/pager/capcode_check.h"

#include <vector>

#include "context/context.h"
#include "rules/address_rules.h"
#include "settings/conversion.h"

namespace pagerprog {

// Only the enabled slots count: the pager does not listen on a disabled one, whose stored
// value (0 in a factory-fresh pager, say) is kept as it is.
std::optional<std::string> capcodeProblem(const Context& ctx) {
    struct Enabled {
        int slot;
        long long capcode;
    };
    std::vector<Enabled> enabled;
    for (int slot = 1; slot <= addressSlots(ctx.program.hardwareRevision); ++slot) {
        if (!ctx.model.checked(field::addrEn(slot))) continue;
        long long capcode = 0;
        try {
            capcode = parseInteger(ctx.model.text(field::address(slot)));
        } catch (const ConversionError&) {
            return field::address(slot) + " holds no capcode";
        }
        if (!rules::validCapcode(capcode))
            return field::address(slot) + " " + std::to_string(capcode) + " is out of range";
        enabled.push_back({slot, capcode});
    }
    for (const Enabled& one : enabled) {
        for (const Enabled& other : enabled) {
            if (other.slot != one.slot && other.capcode == one.capcode)
                return field::address(one.slot) + " repeats the capcode of " + field::address(other.slot);
        }
    }
    return std::nullopt;
}

}  // namespace pagerprog
