// Menu commands that need no window of their own: "&About", "&Recover" with its
// sub-items and "&Debug".
#pragma once

#include "context/context.h"

namespace pagerprog {

void About1Click(Context& ctx);
// "KS8809" or "SM5170" under "&Recover": the item chosen, the other item, and the chip.
void RecoverChipClick(Context& ctx, const char* chosen, const char* other, const char* chip);
void Debug1Click(Context& ctx);

}  // namespace pagerprog
