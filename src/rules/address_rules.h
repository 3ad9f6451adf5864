// The capcode address rules: valid capcode ranges, the frame of each capcode, unique
// capcodes, the frame pairings of the six-address layout (address 2 with 1; 4, 5 and
// 6 with 3), the enable boxes and message types of the slots, and the auto-increment
// field. Slots are numbered 1..8 as the window captions them.
#pragma once

#include <optional>

#include "context/context.h"

namespace pagerprog::rules {

inline constexpr int kFolderGroupSlots = 6;  // slots 1..6 own four folders each

// TV8 stores eight full capcodes: all eight slots take part and no frames are paired.
bool eightAddressMode(const Context& ctx);

// A capcode outside 8..2007663, 2007672..2045055 and 2045064..2097143 is refused.
bool validCapcode(long long capcode);

// The text of address<n> changed: shows its frame and drags the partners' frames along.
void addressChange(Context& ctx, int slot);
// The focus leaves address<n>: uniqueness, zero-padding, frame pairing, then addressChange.
void addressExit(Context& ctx, int slot);
// True when no two participating capcodes are equal (slots 1..6, or 1..8 in TV8).
bool capcodesUnique(const Context& ctx);

// The enable box of a slot switches the slot's fields and, for slots 1..6, its folders.
void addrEnClick(Context& ctx, int slot);
// Slots 1..6: "Public" on an enabled slot opens the four folder boxes, otherwise closes them.
void msgtypeChange(Context& ctx, int slot);
// group is 0..5, the folder group of slot group + 1.
void setFolderGroupPrivate(Context& ctx, int group);
void setFolderGroupPublic(Context& ctx, int group);

// "0".."8" and backspace pass; any other key is discarded with a beep.
std::optional<PassedKey> autoincKeyPress(Context& ctx, char key);
// An empty auto-increment step is not accepted: the focus goes back.
void autoincExit(Context& ctx, int slot);

}  // namespace pagerprog::rules
