// Menu commands that need no window of their own: "&About", "&Recover" with its
// sub-items and "&Debug".
#pragma once

#include "settings/program_state.h"

namespace pagerprog {

void About1Click(Context& ctx);
// "KS8809" or "SM5170" under "&Recover"; pllIndex is the `pll` item of that chip.
void RecoverChipClick(Context& ctx, int pllIndex);
void Debug1Click(Context& ctx);

}  // namespace pagerprog
