// The public message folder rules: a folder's name and length are editable only
// while its box is checked, folder lengths share a store of 1024 with the private
// calls, and folder names and hello lines are filled with blanks to their width.
// Folders are numbered 0..23 here (captioned [1]..[24], field suffixes "0".."N").
#pragma once

#include <optional>

#include "context/context.h"

namespace pagerprog::rules {

inline constexpr int kFolders = 24;
inline constexpr int kMessageStore = 1024;

// The folder box enables or disables the folder's name and length.
void pubboxactClick(Context& ctx, int folder);
// Digits and backspace pass; any other key is discarded with a beep.
std::optional<PassedKey> lengthKeyPress(Context& ctx, char key);
// A zero length is refused; a length breaking the budget is trimmed by the excess.
void pubboxlengthExit(Context& ctx, int folder);
// How far the lengths of the folders in use plus `maxprivate` exceed 1024 (0 when not).
int folderExcess(const Context& ctx);
// Folder names and hello lines are left filled with blanks to their typed-character limit.
void pubboxExit(Context& ctx, int folder);
void hellomsgExit(Context& ctx, int line);  // line 1 or 2

}  // namespace pagerprog::rules
