// sigrok's stock I2C decoder run over a VCD trace (sigrok-cli, a decoder nobody here
// wrote), and what a 24C16 would have stored and sent according to its decode.
#pragma once

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace pagerprog::testing {

struct I2cDecode {
    std::vector<std::string> annotations;  // "Start", "Address write: 50", "Data read: 84", "ACK", ...
    std::string errors;                    // what sigrok-cli wrote to standard error
    int status = -1;
};

// The preloaded fake kernel of the backend tests stays out of sigrok-cli.
inline I2cDecode decodeI2c(const std::string& vcdPath) {
    const std::string errPath = vcdPath + ".err";
    const std::string command = "env -u LD_PRELOAD " PAGERPROG_SIGROK_CLI " -I vcd -i '" + vcdPath +
                                "' -P i2c:scl=SCL:sda=SDA -A i2c 2>'" + errPath + "'";
    I2cDecode decode;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return decode;
    char line[256];
    const std::string prefix = "i2c-1: ";
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::string text(line);
        if (!text.empty() && text.back() == '\n') text.pop_back();
        if (text.rfind(prefix, 0) == 0) text.erase(0, prefix.size());
        // The bit row gives every bit as "0" or "1"; the bytes say it all.
        if (text != "0" && text != "1") decode.annotations.push_back(text);
    }
    decode.status = ::pclose(pipe);
    std::ifstream err(errPath);
    decode.errors.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
    std::remove(errPath.c_str());
    return decode;
}

// What the decoded traffic did to and got from a 24C16: bytes of acknowledged page writes
// (stored at their stop, wrapping within the 16-byte page) and every byte read.
struct ChipTraffic {
    std::map<unsigned, std::uint8_t> stored;
    std::vector<std::uint8_t> read;
    int unacknowledgedAddresses = 0;  // control bytes nobody acknowledged (polls of a busy chip)
};

inline ChipTraffic chipTraffic(const std::vector<std::string>& annotations) {
    ChipTraffic traffic;
    std::map<unsigned, std::uint8_t> page;
    unsigned block = 0, address = 0;
    bool writing = false, addressed = false, haveWordAddress = false, lastWasAddress = false;
    auto value = [](const std::string& text) {
        return static_cast<unsigned>(std::stoul(text.substr(text.rfind(' ') + 1), nullptr, 16));
    };
    for (const std::string& a : annotations) {
        if (a == "Start" || a == "Start repeat") {
            page.clear();
            addressed = haveWordAddress = false;
        } else if (a.rfind("Address write: ", 0) == 0 || a.rfind("Address read: ", 0) == 0) {
            writing = a[8] == 'w';
            block = value(a) & 7;
            lastWasAddress = true;
            continue;
        } else if (a == "NACK" && lastWasAddress) {
            ++traffic.unacknowledgedAddresses;
        } else if (a == "ACK" && lastWasAddress) {
            addressed = true;
        } else if (a.rfind("Data write: ", 0) == 0 && addressed && writing) {
            if (!haveWordAddress) {
                address = (block << 8) | value(a);
                haveWordAddress = true;
            } else {
                page[address] = static_cast<std::uint8_t>(value(a));
                address = (address & ~15u) | ((address + 1) & 15u);
            }
        } else if (a.rfind("Data read: ", 0) == 0 && addressed && !writing) {
            traffic.read.push_back(static_cast<std::uint8_t>(value(a)));
        } else if (a == "Stop") {
            for (const auto& [at, byte] : page) traffic.stored[at] = byte;
            page.clear();
            addressed = false;
        }
        lastWasAddress = false;
    }
    return traffic;
}

}  // namespace pagerprog::testing
