// The channel frequency, one value type under both the editing rule and the image codec:
// whole hertz as the image stores them, the megahertz texts the window shows (the
// shortest form a decoded image gives, and the padded "146.56250" form the rule keeps),
// and the channel raster of 6250 or 5000 Hz counted from 21.4 MHz.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pagerprog {

class Frequency {
public:
    static constexpr std::uint32_t kRasterOriginHz = 21'400'000;
    static constexpr int kFineRasterHz = 6250;
    static constexpr int kCoarseRasterHz = 5000;
    // What may be typed: three integer digits, five decimals.
    static constexpr std::uint32_t kLowestTypedHz = 100'000'000;
    static constexpr std::uint32_t kHighestTypedHz = 999'999'990;

    constexpr explicit Frequency(std::uint32_t hertz) : hertz_(hertz) {}

    // A decimal text of megahertz written with `separator` (blanks around it, a sign, at
    // most one separator, an optional exponent), truncated to whole hertz. Worked on the
    // decimal digits, so no channel loses a hertz to binary rounding. Nothing when the
    // text is no number or the frequency does not fit the image's 32 bits.
    static std::optional<Frequency> fromText(std::string_view text, char separator);

    std::uint32_t hertz() const { return hertz_; }
    // The shortest form: "146.5625", "163".
    std::string text(char separator) const;
    // The form the frequency rule shows: the shortest form padded as typing pads it.
    std::string paddedText(char separator) const;

    // Within what a technician may type: 100.00000 to 999.99999 MHz.
    bool typable() const { return hertz_ >= kLowestTypedHz && hertz_ <= kHighestTypedHz; }
    // The raster the channel fits best (the finer one when it fits both); above 21.4 MHz only.
    int bestRaster() const;
    // The channel moved down onto that raster.
    Frequency onRaster(int step) const;

    bool operator==(const Frequency&) const = default;

private:
    std::uint32_t hertz_;
};

// Fills a typed frequency to nine characters: the separator right after a text of exactly
// three characters, zeros otherwise ("146" -> "146.00000", "14" -> "140.00000").
std::string padFrequencyText(std::string text, char separator);

}  // namespace pagerprog
