#include "app/record/record_types.h"

namespace pagerprog {

namespace {
constexpr std::string_view kOperationNames[] = {"read", "write", "verify", "restore"};
constexpr std::string_view kCapcodeSourceNames[] = {"step", "csv"};

template <typename Enum, std::size_t N>
std::optional<Enum> fromName(const std::string_view (&names)[N], std::string_view name) {
    for (std::size_t i = 0; i < N; ++i) {
        if (names[i] == name) return static_cast<Enum>(i);
    }
    return std::nullopt;
}
}  // namespace

std::string_view operationName(Operation operation) { return kOperationNames[static_cast<int>(operation)]; }

std::optional<Operation> operationFromName(std::string_view name) { return fromName<Operation>(kOperationNames, name); }

std::string_view capcodeSourceName(CapcodeSource source) { return kCapcodeSourceNames[static_cast<int>(source)]; }

std::optional<CapcodeSource> capcodeSourceFromName(std::string_view name) {
    return fromName<CapcodeSource>(kCapcodeSourceNames, name);
}

}  // namespace pagerprog
