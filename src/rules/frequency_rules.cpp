#include "rules/frequency_rules.h"

#include <array>

#include "rules/keys.h"
#include "settings/conversion.h"
#include "settings/frequency.h"

namespace pagerprog::rules {

namespace {

constexpr Frequency kDefaultChannel{146'562'500};
constexpr long double kHertzPerMegahertz = 1e6L;
constexpr std::size_t kDigitsBeforeSeparator = 2;  // the next digit completes the megahertz

// Counter values by the item index of `n_count` and `r_count`.
constexpr std::array<int, 8> kNCounter{4, 6, 8, 10, 12, 14, 16, 18};
constexpr std::array<int, 8> kRCounter{1, 2, 4, 8, 16, 32, 64, 128};
constexpr int kClockPrescale = 64;

// The counter item indexes each preset clock of `cpu_clock` selects.
struct ClockPreset {
    int nIndex;
    int rIndex;
};
constexpr std::array<ClockPreset, 5> kClockPresets{{{0, 2}, {0, 1}, {0, 0}, {2, 0}, {7, 1}}};

}  // namespace

std::optional<PassedKey> frequencyKeyPress(Context& ctx, char key) {
    if (key == kBackspace) return key;
    if (!isDigit(key)) {
        ctx.host.beep();
        return std::nullopt;
    }
    if (ctx.model.text(field::frequency).size() != kDigitsBeforeSeparator) return key;
    return PassedKey(std::string{key, ctx.program.decimalSeparator}, true);
}

void frequencyExit(Context& ctx, FrequencyMemory& memory) {
    const char separator = ctx.program.decimalSeparator;
    const auto typed = Frequency::fromText(padFrequencyText(ctx.model.text(field::frequency), separator), separator);
    if (!typed || !typed->typable()) {
        const std::string previous =
            memory.lastGoodText.empty() ? kDefaultChannel.paddedText(separator) : memory.lastGoodText;
        ctx.model.setText(field::frequency, previous);
        ctx.host.beep();
        return;
    }
    const int step = typed->bestRaster();
    ctx.program.channelStep = step;
    memory.lastGoodText = typed->onRaster(step).paddedText(separator);
    ctx.model.setText(field::frequency, memory.lastGoodText);
}

void clockChange(Context& ctx) {
    auto& model = ctx.model;
    if (model.text(field::f_ref).empty()) {
        model.requestFocus(field::f_ref);
        return;
    }
    const int reference = parseInteger(model.text(field::f_ref));
    const int n = model.index(field::n_count);
    const int r = model.index(field::r_count);
    // Typed text matching no counter item: no N or R, the display stays as it was.
    if (n < 0 || n >= static_cast<int>(kNCounter.size()) || r < 0 || r >= static_cast<int>(kRCounter.size())) return;
    const long double hertz = static_cast<long double>(reference) * kClockPrescale *
                              kNCounter[static_cast<std::size_t>(n)] / kRCounter[static_cast<std::size_t>(r)];
    const double megahertz = static_cast<double>(hertz / kHertzPerMegahertz);
    model.setText(field::cpu_clock1, formatReal(megahertz, ctx.program.decimalSeparator));
}

void f_versionChange(Context& ctx) {
    if (ctx.program.hardwareRevision != Revision::TV8) return;
    auto& model = ctx.model;
    const int version = parseInteger(model.text(field::f_version));
    if (version > 2) return;
    const bool presets = version <= 1;
    model.setShown(field::cpu_clock, presets);
    model.setShown(field::cpu_clock1, !presets);
    model.setEnabled(field::n_count, !presets);
    model.setEnabled(field::r_count, !presets);
    if (presets) {
        cpu_clockChange(ctx);
    } else {
        clockChange(ctx);
    }
}

void cpu_clockChange(Context& ctx) {
    const int preset = ctx.model.index(field::cpu_clock);
    if (preset < 0 || preset >= static_cast<int>(kClockPresets.size())) return;
    const ClockPreset& counters = kClockPresets[static_cast<std::size_t>(preset)];
    ctx.model.setIndex(field::n_count, counters.nIndex);
    ctx.model.setIndex(field::r_count, counters.rIndex);
}

}  // namespace pagerprog::rules
