#include "rules/address_rules.h"

#include <array>
#include <string>

#include "rules/field_names.h"
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

std::string addressField(int slot) { return slotField("address", slot); }

int participatingSlots(const Context& ctx) { return eightAddressMode(ctx) ? kAddressSlots : kFolderGroupSlots; }

void reportOutOfRange(Context& ctx, int slot) {
    ctx.host.beep();
    ctx.host.log("Address [" + std::to_string(slot) +
                 "] range out, should be within 8-2007663; 2007672-2045055; 2045064-2097143");
    ctx.model.requestFocus(addressField(slot));
}

// Moves a follower's capcode into the leader's frame, keeping the rest of it, and
// re-checks the follower as if the user had left it.
void dragIntoFrame(Context& ctx, int follower, int frame) {
    const int capcode = parseInteger(ctx.model.text(addressField(follower)));
    ctx.model.setText(addressField(follower), std::to_string(capcode - frameOf(capcode) + frame));
    addressExit(ctx, follower);
}

// False (after the report) when slot's frame differs from its leader's.
bool frameMatchesLeader(Context& ctx, int slot) {
    for (const auto& pairing : kFramePairings) {
        if (pairing.follower != slot) continue;
        const int own = parseInteger(ctx.model.text(addressField(slot)));
        const int leader = parseInteger(ctx.model.text(addressField(pairing.leader)));
        if (frameOf(own) == frameOf(leader)) return true;
        ctx.host.log("Address [" + std::to_string(slot) + "] frame must same as Address [" +
                     std::to_string(pairing.leader) + "]");
        ctx.model.requestFocus(addressField(slot));
        ctx.host.beep();
        return false;
    }
    return true;
}

// Folder `member` (0..3) of a slot's group of four.
std::string groupFolderField(const char* prefix, int group, int member) {
    return folderField(prefix, group * 4 + member);
}

}  // namespace

bool eightAddressMode(const Context& ctx) { return ctx.program.hardwareRevision == 2; }

bool validCapcode(long long capcode) {
    return (capcode >= 8 && capcode <= 2007663) || (capcode >= 2007672 && capcode <= 2045055) ||
           (capcode >= 2045064 && capcode <= 2097143);
}

void addressChange(Context& ctx, int slot) {
    const std::string text = ctx.model.text(addressField(slot));  // a copy: propagation edits other fields
    if (text.empty()) {
        ctx.model.setText(slotField("frame", slot), " ");
        return;
    }
    const int capcode = parseInteger(text);
    if (validCapcode(capcode)) {
        const int frame = frameOf(capcode);
        ctx.model.setText(slotField("frame", slot), std::string(1, static_cast<char>('0' + frame)));
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
    const std::string field = addressField(slot);
    if (!capcodesUnique(ctx) && ctx.model.checked(slotField("addr", slot, "en"))) {
        ctx.host.beep();
        ctx.host.log(kSameCapcode);
        ctx.model.requestFocus(field);
        return;
    }
    std::string padded = ctx.model.text(field);
    const bool needsPadding = padded.size() < kCapcodeDigits;
    if (needsPadding) {
        padded.insert(0, kCapcodeDigits - padded.size(), '0');
        // Setting the padded text raises the change rule, which is the final check of the
        // seven-digit capcode; running it a second time would report a range fault twice.
        ctx.model.setText(field, padded);
    }
    if (!eightAddressMode(ctx) && !frameMatchesLeader(ctx, slot)) return;
    if (!needsPadding) addressChange(ctx, slot);
}

bool capcodesUnique(const Context& ctx) {
    std::array<int, kAddressSlots> capcodes{};
    for (int slot = 1; slot <= kAddressSlots; ++slot) {
        capcodes[static_cast<std::size_t>(slot - 1)] = parseInteger(ctx.model.text(addressField(slot)));
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
    const bool on = model.checked(slotField("addr", slot, "en"));
    model.setEnabled(addressField(slot), on);
    model.setEnabled(slotField("frame", slot), on);
    model.setEnabled(slotField("autoinc", slot), on);
    if (slot <= kFolderGroupSlots) model.setEnabled(slotField("msgtype", slot), on);
    for (const char* code : {"A", "B", "C", "D"}) {
        model.setEnabled(slotField("addr", slot, std::string("format") + code), on);
        model.setEnabled(slotField("urgent", slot, code), on);
    }
    if (slot <= kFolderGroupSlots) msgtypeChange(ctx, slot);
}

void msgtypeChange(Context& ctx, int slot) {
    const std::string field = slotField("msgtype", slot);
    if (ctx.model.index(field) != 0 && ctx.model.enabled(field)) {
        setFolderGroupPublic(ctx, slot - 1);
    } else {
        setFolderGroupPrivate(ctx, slot - 1);
    }
}

void setFolderGroupPrivate(Context& ctx, int group) {
    for (int member = 0; member < 4; ++member) {
        const std::string box = groupFolderField("pubboxact", group, member);
        ctx.model.setChecked(box, false);  // runs the box's own rule when it was checked
        ctx.model.setEnabled(box, false);
        ctx.model.setEnabled(groupFolderField("pubbox", group, member), false);
        ctx.model.setEnabled(groupFolderField("pubboxlength", group, member), false);
    }
}

void setFolderGroupPublic(Context& ctx, int group) {
    for (int member = 0; member < 4; ++member) {
        ctx.model.setEnabled(groupFolderField("pubboxact", group, member), true);
    }
}

std::optional<char> autoincKeyPress(Context& ctx, char key) {
    if ((key >= '0' && key <= '8') || key == kBackspace) return key;
    ctx.host.beep();
    return std::nullopt;
}

void autoincExit(Context& ctx, int slot) {
    const std::string field = slotField("autoinc", slot);
    if (ctx.model.text(field).empty()) ctx.model.requestFocus(field);
}

}  // namespace pagerprog::rules
