#include "app/pager/difference_summary.h"

#include <algorithm>
#include <cstdio>

#include "host/plural.h"
#include "settings/image_layout.h"

namespace pagerprog {

namespace {

constexpr std::size_t kOwnersNamed = 10;

}  // namespace

std::string differenceSummary(const std::vector<ByteDifference>& differences, Layout layout) {
    if (differences.empty()) return "";
    std::vector<std::string> owners;
    for (const ByteDifference& d : differences) {
        for (std::string& owner : byteOwners(layout, d.address))
            if (std::find(owners.begin(), owners.end(), owner) == owners.end()) owners.push_back(std::move(owner));
    }
    char first[8];
    std::snprintf(first, sizeof first, "0x%03X", unsigned(differences.front().address));
    std::string text =
        plural(static_cast<long long>(differences.size()), "byte differs", "bytes differ") + ", the first at " + first;
    for (std::size_t i = 0; i < owners.size() && i < kOwnersNamed; ++i) text += (i ? ", " : ": ") + owners[i];
    if (owners.size() > kOwnersNamed) text += " and " + std::to_string(owners.size() - kOwnersNamed) + " more";
    return text;
}

}  // namespace pagerprog
