// The channel frequency and processor clock rules: the frequency stays on a channel
// raster of 6250 or 5000 Hz counted from 21.4 MHz, and the clock display follows the
// reference frequency and the N and R counters.
#pragma once

#include <optional>
#include <string>

#include "context/context.h"

namespace pagerprog::rules {

// Digits and backspace pass; a digit typed after two characters comes with the decimal
// separator appended to the text, so the separator follows the third digit.
std::optional<PassedKey> frequencyKeyPress(Context& ctx, char key);

// What the frequency rule keeps between runs: the last text it accepted, put back when
// the field is left holding no number or a frequency outside 100.00000 to 999.99999 MHz.
struct FrequencyMemory {
    std::string lastGoodText;  // empty: none yet, the default channel is put back
};

// The focus leaves `frequency`: pads the text to "ddd.ddddd" (the separator only after a
// text of exactly three characters), chooses the raster (ProgramState::channelStep),
// moves the channel down onto it and shows it again. A channel outside 100.00000 to
// 999.99999 MHz is refused with a beep and the previous text put back.
// Start-up and the loaders run it after decoding (through model.fireExit(field::frequency)).
void frequencyExit(Context& ctx, FrequencyMemory& memory);

// The clock rule: `cpu_clock1` shows f_ref x 64 x N / R in MHz. Runs when `n_count`,
// `r_count` or `f_ref` change.
void clockChange(Context& ctx);

// The firmware-version rule (TV8 only): version 1 or less shows the preset clocks and
// locks the counters, version 2 shows the computed clock with editable counters.
void f_versionChange(Context& ctx);

// The preset rule: the chosen `cpu_clock` item sets `n_count` and `r_count`.
void cpu_clockChange(Context& ctx);

}  // namespace pagerprog::rules
