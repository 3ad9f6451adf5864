#include "rules/frequency_rules.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

#include "rules/field_names.h"
#include "settings/conversion.h"

namespace pagerprog::rules {

namespace {

constexpr std::size_t kFrequencyWidth = 9;  // "146.56250"
constexpr std::size_t kIntegerDigits = 3;
constexpr long long kDefaultChannelHz = 146'562'500;
constexpr long long kFineRasterHz = 6250;
constexpr long long kCoarseRasterHz = 5000;
constexpr long double kHertzPerMegahertz = 1e6L;

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

// Fills the text to nine characters: the separator after the integer digits, zeros after it.
// A text holding no separator gets one once its integer digits are complete, so that a
// longer whole number is never turned into a larger one by appended zeros.
std::string padFrequency(std::string text, char separator) {
    while (text.size() < kFrequencyWidth) {
        const bool needsSeparator = text.size() >= kIntegerDigits && text.find(separator) == std::string::npos;
        text += needsSeparator ? separator : '0';
    }
    return text;
}

std::string frequencyText(long long hertz, char separator) {
    return padFrequency(formatReal(static_cast<double>(hertz / kHertzPerMegahertz), separator), separator);
}

// The whole hertz above 21.4 MHz, or nothing when the text is no number or the
// frequency lies below 21.4 MHz or beyond what the pager stores.
std::optional<long long> hertzAboveOrigin(const std::string& text, char separator) {
    double megahertz = 0;
    try {
        megahertz = parseReal(text, separator);
    } catch (const ConversionError&) {
        return std::nullopt;
    }
    long double hertz = megahertz * kHertzPerMegahertz;
    // A decimal text of megahertz with up to six decimals is whole hertz; undo the
    // binary representation error (152.24 is stored as 152.2399999...) before truncating.
    const long double nearest = std::round(hertz);
    if (std::fabs(hertz - nearest) < 1e-3L) hertz = nearest;
    const long double above = std::trunc(hertz - kRasterOriginHz);
    if (!(above >= 0 && above <= std::numeric_limits<std::int32_t>::max())) return std::nullopt;
    return static_cast<long long>(above);
}

}  // namespace

std::optional<char> frequencyKeyPress(Context& ctx, char key) {
    if (key == kBackspace) return key;
    if (!isDigit(key)) {
        ctx.host.beep();
        return std::nullopt;
    }
    const std::string& text = ctx.model.text("frequency");
    if (text.size() != kIntegerDigits - 1) return key;
    ctx.model.setText("frequency", text + key);
    return ctx.program.decimalSeparator;
}

void frequencyExit(Context& ctx, FrequencyMemory& memory) {
    const char separator = ctx.program.decimalSeparator;
    const std::string padded = padFrequency(ctx.model.text("frequency"), separator);
    const std::optional<long long> above = hertzAboveOrigin(padded, separator);
    if (!above) {
        const std::string previous =
            memory.lastGoodText.empty() ? frequencyText(kDefaultChannelHz, separator) : memory.lastGoodText;
        ctx.model.setText("frequency", previous);
        ctx.host.beep();
        return;
    }
    // On both rasters the finer one wins.
    const long long step = *above % kFineRasterHz <= *above % kCoarseRasterHz ? kFineRasterHz : kCoarseRasterHz;
    ctx.program.channelStep = static_cast<int>(step);
    memory.lastGoodText = frequencyText(*above / step * step + kRasterOriginHz, separator);
    ctx.model.setText("frequency", memory.lastGoodText);
}

void clockChange(Context& ctx) {
    auto& model = ctx.model;
    if (model.text("f_ref").empty()) {
        model.requestFocus("f_ref");
        return;
    }
    const int reference = parseInteger(model.text("f_ref"));
    const int n = model.index("n_count");
    const int r = model.index("r_count");
    // Typed text matching no counter item: no N or R, the display stays as it was.
    if (n < 0 || n >= static_cast<int>(kNCounter.size()) || r < 0 || r >= static_cast<int>(kRCounter.size())) return;
    const long double hertz = static_cast<long double>(reference) * kClockPrescale *
                              kNCounter[static_cast<std::size_t>(n)] / kRCounter[static_cast<std::size_t>(r)];
    const double megahertz = static_cast<double>(hertz / kHertzPerMegahertz);
    model.setText("cpu_clock1", formatReal(megahertz, ctx.program.decimalSeparator));
}

void f_versionChange(Context& ctx) {
    if (ctx.program.hardwareRevision != 2) return;
    auto& model = ctx.model;
    const int version = parseInteger(model.text("f_version"));
    if (version > 2) return;
    const bool presets = version <= 1;
    model.setShown("cpu_clock", presets);
    model.setShown("cpu_clock1", !presets);
    model.setEnabled("n_count", !presets);
    model.setEnabled("r_count", !presets);
    if (presets) {
        cpu_clockChange(ctx);
    } else {
        clockChange(ctx);
    }
}

void cpu_clockChange(Context& ctx) {
    const int preset = ctx.model.index("cpu_clock");
    if (preset < 0 || preset >= static_cast<int>(kClockPresets.size())) return;
    const ClockPreset& counters = kClockPresets[static_cast<std::size_t>(preset)];
    ctx.model.setIndex("n_count", counters.nIndex);
    ctx.model.setIndex("r_count", counters.rIndex);
}

}  // namespace pagerprog::rules
