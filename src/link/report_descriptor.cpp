#include "link/report_descriptor.h"

#include <algorithm>
#include <map>
#include <vector>

namespace pagerprog {

namespace {

enum ItemType : unsigned { kMain = 0, kGlobal = 1 };
enum MainTag : unsigned { kInput = 0x8, kOutput = 0x9 };
enum GlobalTag : unsigned { kReportSize = 0x7, kReportId = 0x8, kReportCount = 0x9, kPush = 0xA, kPop = 0xB };
constexpr std::uint8_t kLongItem = 0xFE;

struct GlobalState {
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint32_t reportId = 0;
};

struct LongestReport {
    std::size_t length = 0;
    std::uint8_t id = 0;
};

LongestReport longestReport(const std::map<std::uint32_t, std::uint64_t>& bitsById) {
    if (bitsById.empty()) return {};
    const auto longest = std::max_element(bitsById.begin(), bitsById.end(),
                                          [](const auto& a, const auto& b) { return a.second < b.second; });
    // Report IDs are one byte on the wire.
    return {static_cast<std::size_t>((longest->second + 7) / 8) + 1, static_cast<std::uint8_t>(longest->first)};
}

}  // namespace

ReportLengths reportLengths(std::span<const std::uint8_t> descriptor) {
    GlobalState state;
    std::vector<GlobalState> stack;
    std::map<std::uint32_t, std::uint64_t> inputBits, outputBits;

    std::size_t at = 0;
    while (at < descriptor.size()) {
        const std::uint8_t prefix = descriptor[at];
        if (prefix == kLongItem) {
            if (at + 1 >= descriptor.size()) break;
            at += 3 + descriptor[at + 1];
            continue;
        }
        const std::size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (at + 1 + size > descriptor.size()) break;
        std::uint32_t data = 0;
        for (std::size_t i = 0; i < size; ++i) data |= std::uint32_t{descriptor[at + 1 + i]} << (8 * i);
        const unsigned type = (prefix >> 2) & 3;
        const unsigned tag = prefix >> 4;
        at += 1 + size;

        if (type == kGlobal) {
            switch (tag) {
                case kReportSize: state.reportSize = data; break;
                case kReportCount: state.reportCount = data; break;
                case kReportId: state.reportId = data; break;
                case kPush: stack.push_back(state); break;
                case kPop:
                    if (!stack.empty()) {
                        state = stack.back();
                        stack.pop_back();
                    }
                    break;
                default: break;
            }
        } else if (type == kMain && (tag == kInput || tag == kOutput)) {
            auto& bits = tag == kInput ? inputBits : outputBits;
            bits[state.reportId] += std::uint64_t{state.reportSize} * state.reportCount;
        }
    }
    const auto input = longestReport(inputBits);
    const auto output = longestReport(outputBits);
    return {input.length, output.length, input.id, output.id};
}

}  // namespace pagerprog
