#include "app/pager/capcode_check.h"

#include <vector>

#include "context/context.h"
#include "rules/address_rules.h"
#include "settings/conversion.h"

namespace pagerprog {

std::optional<std::string> capcodeProblem(const Context& ctx) {
    const int slots = addressSlots(ctx.program.hardwareRevision);
    std::vector<long long> capcodes;
    for (int slot = 1; slot <= slots; ++slot) {
        const std::string& text = ctx.model.text(field::address(slot));
        long long capcode = 0;
        try {
            capcode = parseInteger(text);
        } catch (const ConversionError&) {
            return field::address(slot) + " holds no capcode";
        }
        if (!rules::validCapcode(capcode))
            return field::address(slot) + " " + std::to_string(capcode) + " is out of range";
        capcodes.push_back(capcode);
    }
    for (int slot = 1; slot <= slots; ++slot) {
        if (!ctx.model.checked(field::addrEn(slot))) continue;
        for (int other = 1; other <= slots; ++other) {
            if (other != slot &&
                capcodes[static_cast<std::size_t>(other - 1)] == capcodes[static_cast<std::size_t>(slot - 1)])
                return field::address(slot) + " repeats the capcode of " + field::address(other);
        }
    }
    return std::nullopt;
}

}  // namespace pagerprog
