#include "settings/eeprom_image.h"

#include <cstring>
#include <string>

#include "settings/prompt_texts.h"

namespace pagerprog {

std::uint8_t imageChecksum(const Image& image) {
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < kChecksumOffset; ++i) sum = static_cast<std::uint8_t>(sum + image[i]);
    return static_cast<std::uint8_t>(0xFF - sum);
}

bool imageChecksumOk(const Image& image) { return image[kChecksumOffset] == imageChecksum(image); }

void setImageChecksum(Image& image) { image[kChecksumOffset] = imageChecksum(image); }

namespace {

constexpr std::uint8_t kMirror2[4] = {0, 2, 1, 3};
constexpr std::uint8_t kMirror3[8] = {0, 4, 2, 6, 1, 5, 3, 7};
constexpr std::uint8_t kMirror4[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};

}  // namespace

std::uint8_t mirror2(unsigned value) { return kMirror2[value & 3]; }
std::uint8_t mirror3(unsigned value) { return kMirror3[value & 7]; }
std::uint8_t mirror4(unsigned value) { return kMirror4[value & 15]; }
std::uint8_t mirror8(unsigned value) { return static_cast<std::uint8_t>((mirror4(value) << 4) | mirror4(value >> 4)); }

namespace {

void put(Image& image, std::size_t at, std::initializer_list<std::uint8_t> bytes) {
    for (std::uint8_t b : bytes) image[at++] = b;
}

void putText(Image& image, std::size_t at, const std::string& text) {
    std::memcpy(image.data() + at, text.data(), text.size());
}

// Bytes 0x030..0x3FF and the prompt area, common to both templates but for 0x056-0x057.
Image commonTemplate(const std::vector<std::string>& prompts) {
    Image image{};
    put(image, 0x030, {0xFC, 0xFF, 0xFC, 0xCF, 0xC0, 0xCC, 0xCC, 0xCC, 0x00, 0xA0, 0x00, 0x80, 0xFC, 0xCF, 0xFF, 0xFC});
    put(image, 0x040, {0x3A, 0x1F, 0xED, 0xFB, 0x10, 0x3E, 0x32, 0x01});
    put(image, 0x048, {0xE4, 0x55, 0x55, 0x55, 0x55, 0x55});
    putText(image, 0x04E, "6723");
    put(image, 0x052, {0xF0, 0xFF, 0xFF, 0x01});
    putText(image, 0x066, "41K");
    image[0x069] = 0x14;
    for (int k = 0; k < 24; ++k) {
        const std::string name =
            "Fdr" + std::string(1, static_cast<char>('0' + k / 10)) + static_cast<char>('0' + k % 10) + "Name";
        putText(image, 0x06A + 9 * static_cast<std::size_t>(k), name);
        image[0x142 + static_cast<std::size_t>(k)] = 0x0A;
    }
    put(image, 0x15A, {0x3C, 0x02});
    put(image, 0x17E,
        {0x04, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x02, 0xC7, 0x17, 0x06, 0x00, 0x06, 0x1E, 0x8E, 0x5A, 0x5A, 0x49, 0x01});
    const char* canned[] = {"A Tone Only !", "B Tone Only !", "C Tone Only !", "D Tone Only !"};
    for (std::size_t i = 0; i < 4; ++i) putText(image, 0x190 + 20 * i, canned[i]);
    for (std::size_t c = 0x20; c <= 0x7F; ++c) image[0x1E0 + (c - 0x20)] = static_cast<std::uint8_t>(c);
    putText(image, 0x240, "-- QTX 73T ---------");
    putText(image, 0x254, "123456789");
    put(image, 0x268, {0x04, 0x00});
    const auto area = buildPromptArea(prompts);
    std::memcpy(image.data() + kPromptAreaOffset, area.data(), area.size());
    return image;
}

Image buildSixAddressTemplate() {
    Image image = commonTemplate(sixAddressPrompts());
    put(image, 0x000, {0x84, 0xD2, 0x03, 0x85, 0xD2, 0x03, 0x86, 0xD2, 0x03, 0x87, 0xD2, 0x03, 0x88, 0xD2, 0x03, 0x89,
                       0xD2, 0x03, 0x3F, 0xC0, 0x06, 0x0F, 0x69, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC4, 0x09,
                       0xC0, 0x2E, 0xB7, 0x09, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    setImageChecksum(image);
    return image;
}

Image buildEightAddressTemplate() {
    Image image = commonTemplate(eightAddressPrompts());
    put(image, 0x000, {0x86, 0xC0, 0x4B, 0x21, 0x86, 0xC4, 0x4B, 0x21, 0x86, 0xC2, 0x4B, 0x21, 0x86, 0xC6, 0x4B, 0x21,
                       0x06, 0x01, 0x00, 0x00, 0x06, 0x05, 0x00, 0x00, 0x06, 0x03, 0x00, 0x00, 0x06, 0x07, 0x00, 0x00,
                       0x02, 0xCA, 0x73, 0x97, 0x00, 0x01, 0xFE, 0x00, 0x00, 0xC4, 0x09, 0xC0, 0x1C, 0x3D, 0x09, 0x00});
    put(image, 0x056, {0x55, 0x55});
    setImageChecksum(image);
    return image;
}

}  // namespace

const Image& sixAddressTemplate() {
    static const Image image = buildSixAddressTemplate();
    return image;
}

const Image& eightAddressTemplate() {
    static const Image image = buildEightAddressTemplate();
    return image;
}

void loadTemplate(Image& image, Layout layout) {
    image = layout == Layout::EightAddress ? eightAddressTemplate() : sixAddressTemplate();
}

}  // namespace pagerprog
