#include "link/sim/simulated_pager.h"

#include <fstream>
#include <iterator>
#include <vector>

namespace pagerprog {

SimulatedPager::SimulatedPager() : memory(factoryImage()) {}

Image SimulatedPager::factoryImage() {
    Image image = sixAddressTemplate();
    setImageChecksum(image);
    return image;
}

bool SimulatedPager::loadFrom(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (bytes.size() != kImageSize) return false;
    for (std::size_t i = 0; i < kImageSize; ++i) memory[i] = static_cast<std::uint8_t>(bytes[i]);
    return true;
}

bool SimulatedPager::saveTo(const std::string& path) const {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(memory.data()), static_cast<std::streamsize>(memory.size()));
    return static_cast<bool>(file);
}

std::uint8_t SimulatedPager::readByte(unsigned address) const {
    address %= kImageSize;
    const auto flip = readFlips_.find(address);
    return static_cast<std::uint8_t>(memory[address] ^ (flip == readFlips_.end() ? 0 : flip->second));
}

}  // namespace pagerprog
