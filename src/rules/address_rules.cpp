#include "rules/address_rules.h"

#include <array>
#include <string>

#include "rules/keys.h"
#include "settings/conversion.h"

namespace pagerprog::rules {

namespace {

constexpr std::size_t kCapcodeDigits = 7;
constexpr const char* kSameCapcode = "Same capcode address not allowed ";

// The six-address layout holds one frame for slots 1-2 and one for slots 3-6, so each
// follower must stay in the frame of its leader.
struct FramePairing {
    int follower;
    int leader;
};
constexpr std::array<FramePairing, 4> kFramePairings{{{2, 1}, {4, 3}, {5, 3}, {6, 3}}};

int frameOf(long long capcode) { return static_cast<int>(((capcode % 8) + 8) % 8); }

int participatingSlots(const Context& ctx) { return addressSlots(ctx.program.hardwareRevision); }

void reportOutOfRange(Context& ctx, int slot) {
    ctx.host.beep();
    ctx.host.log("Address [" + std::to_string(slot) +
                 "] range out, should be within 8-2007663; 2007672-2045055; 2045064-2097143");
    ctx.model.requestFocus(field::address(slot));
}

// Moves a follower's capcode into the leader's frame, keeping the rest of it, and
// re-checks the follower as if the user had left it.
void dragIntoFrame(Context& ctx, int follower, int frame) {
    const int capcode = parseInteger(ctx.model.text(field::address(follower)));
    ctx.model.setText(field::address(follower), std::to_string(capcode - frameOf(capcode) + frame));
    addressExit(ctx, follower);
}

// False (after the report) when slot's frame differs from its leader's.
bool frameMatchesLeader(Context& ctx, int slot) {
    for (const auto& pairing : kFramePairings) {
        if (pairing.follower != slot) continue;
        const int own = parseInteger(ctx.model.text(field::address(slot)));
        const int leader = parseInteger(ctx.model.text(field::address(pairing.leader)));
        if (frameOf(own) == frameOf(leader)) return true;
        ctx.host.log("Address [" + std::to_string(slot) + "] frame must same as Address [" +
                     std::to_string(pairing.leader) + "]");
        ctx.model.requestFocus(field::address(slot));
        ctx.host.beep();
        return false;
    }
    return true;
}

// Folder `member` (0..3) of a slot's group of four.
int groupFolder(int group, int member) { return group * 4 + member; }

}  // namespace

bool eightAddressMode(const Context& ctx) { return layoutOf(ctx.program.hardwareRevision) == Layout::EightAddress; }

bool validCapcode(long long capcode) {
    return (capcode >= 8 && capcode <= 2007663) || (capcode >= 2007672 && capcode <= 2045055) ||
           (capcode >= 2045064 && capcode <= 2097143);
}

void addressChange(Context& ctx, int slot) {
    const std::string text = ctx.model.text(field::address(slot));  // a copy: propagation edits other fields
    if (text.empty()) {
        ctx.model.setText(field::frame(slot), " ");
        return;
    }
    const int capcode = parseInteger(text);
    if (validCapcode(capcode)) {
        const int frame = frameOf(capcode);
        ctx.model.setText(field::frame(slot), std::string(1, static_cast<char>('0' + frame)));
        if (eightAddressMode(ctx)) return;
        for (const auto& pairing : kFramePairings) {
            if (pairing.leader == slot) dragIntoFrame(ctx, pairing.follower, frame);
        }
        return;
    }
    // Shorter texts are left alone: the user is still typing.
    if (text.size() == kCapcodeDigits) reportOutOfRange(ctx, slot);
}

void addressExit(Context& ctx, int slot) {
    const std::string address = field::address(slot);
    if (!capcodesUnique(ctx) && ctx.model.checked(field::addrEn(slot))) {
        ctx.host.beep();
        ctx.host.log(kSameCapcode);
        ctx.model.requestFocus(address);
        return;
    }
    std::string padded = ctx.model.text(address);
    const bool needsPadding = padded.size() < kCapcodeDigits;
    if (needsPadding) {
        padded.insert(0, kCapcodeDigits - padded.size(), '0');
        // Setting the padded text raises the change rule, which is the final check of the
        // seven-digit capcode; running it a second time would report a range fault twice.
        ctx.model.setText(address, padded);
    }
    if (!eightAddressMode(ctx) && !frameMatchesLeader(ctx, slot)) return;
    if (!needsPadding) addressChange(ctx, slot);
}

bool capcodesUnique(const Context& ctx) {
    std::array<int, field::kAddressSlots> capcodes{};
    for (int slot = 1; slot <= field::kAddressSlots; ++slot) {
        capcodes[static_cast<std::size_t>(slot - 1)] = parseInteger(ctx.model.text(field::address(slot)));
    }
    const auto count = static_cast<std::size_t>(participatingSlots(ctx));
    for (std::size_t i = 0; i < count; ++i) {
        for (std::size_t j = i + 1; j < count; ++j) {
            if (capcodes[i] == capcodes[j]) return false;
        }
    }
    return true;
}

void addrEnClick(Context& ctx, int slot) {
    auto& model = ctx.model;
    const bool on = model.checked(field::addrEn(slot));
    model.setEnabled(field::address(slot), on);
    model.setEnabled(field::frame(slot), on);
    model.setEnabled(field::autoinc(slot), on);
    if (slot <= kFolderGroupSlots) model.setEnabled(field::msgtype(slot), on);
    for (char code : field::kFunctionCodes) {
        model.setEnabled(field::addrFormat(slot, code), on);
        model.setEnabled(field::urgent(slot, code), on);
    }
    if (slot <= kFolderGroupSlots) msgtypeChange(ctx, slot);
}

void msgtypeChange(Context& ctx, int slot) {
    static const int kPrivate = tableItem(field::msgtype(1), "Private");
    const std::string msgtype = field::msgtype(slot);
    if (ctx.model.index(msgtype) != kPrivate && ctx.model.enabled(msgtype)) {
        setFolderGroupPublic(ctx, slot - 1);
    } else {
        setFolderGroupPrivate(ctx, slot - 1);
    }
}

void setFolderGroupPrivate(Context& ctx, int group) {
    for (int member = 0; member < 4; ++member) {
        const std::string box = field::pubboxact(groupFolder(group, member));
        ctx.model.setChecked(box, false);  // runs the box's own rule when it was checked
        ctx.model.setEnabled(box, false);
        ctx.model.setEnabled(field::pubbox(groupFolder(group, member)), false);
        ctx.model.setEnabled(field::pubboxlength(groupFolder(group, member)), false);
    }
}

void setFolderGroupPublic(Context& ctx, int group) {
    for (int member = 0; member < 4; ++member) {
        ctx.model.setEnabled(field::pubboxact(groupFolder(group, member)), true);
    }
}

std::optional<PassedKey> autoincKeyPress(Context& ctx, char key) {
    if ((key >= '0' && key <= '8') || key == kBackspace) return key;
    ctx.host.beep();
    return std::nullopt;
}

void autoincExit(Context& ctx, int slot) {
    const std::string autoinc = field::autoinc(slot);
    if (ctx.model.text(autoinc).empty()) ctx.model.requestFocus(autoinc);
}

}  // namespace pagerprog::rules
