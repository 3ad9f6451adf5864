#include "app/record/difference_blob.h"

namespace pagerprog {

std::vector<std::uint8_t> encodeDifferences(std::span<const ByteDifference> differences) {
    std::vector<std::uint8_t> blob;
    blob.reserve(differences.size() * 4);
    for (const ByteDifference& d : differences) {
        blob.insert(blob.end(), {static_cast<std::uint8_t>(d.address >> 8), static_cast<std::uint8_t>(d.address),
                                 d.expected, d.read});
    }
    return blob;
}

std::optional<std::vector<ByteDifference>> decodeDifferences(std::span<const std::uint8_t> blob) {
    if (blob.size() % 4 != 0) return std::nullopt;
    std::vector<ByteDifference> differences;
    differences.reserve(blob.size() / 4);
    for (std::size_t at = 0; at < blob.size(); at += 4) {
        differences.push_back({static_cast<std::uint16_t>(blob[at] << 8 | blob[at + 1]), blob[at + 2], blob[at + 3]});
    }
    return differences;
}

}  // namespace pagerprog
