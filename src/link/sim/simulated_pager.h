// The EEPROM of a simulated pager, shared by the simulated parallel-port chip and the
// simulated USB programmer. It starts with a valid factory image and can be kept in a
// pager file: then the file is the pager's memory, and every page or chunk written
// reaches it at once.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "settings/eeprom_image.h"

namespace pagerprog {

// Where a pager sits: a technician may take it out and put another in.
class PagerSocket {
public:
    virtual ~PagerSocket() = default;
    // Whether a pager is in the socket now.
    virtual bool pagerIn() = 0;
    // The pager in the socket has just been written.
    virtual void written() = 0;
};

class SimulatedPager {
public:
    SimulatedPager();

    // The six-address template with its checksum set.
    static Image factoryImage();
    // A valid image unlike the factory image in every chunk, for exercising a link: its
    // bytes follow `seed`, its checksum is right.
    static Image patternImage(unsigned seed);

    enum class PagerFile { Loaded, Missing };
    // Keeps the pager in this file from now on. A file that exists must be a regular file
    // of exactly 2048 bytes that may be written; a missing or empty one takes the first
    // write, the pager starting factory-fresh. Throws std::runtime_error naming the file
    // and the reason otherwise, leaving the file untouched (at most 2049 bytes are read).
    PagerFile keepIn(const std::string& path);

    // A page or chunk has been written: it reaches the pager file at once. When the file
    // cannot take it the write is lost, as on a chip whose cells do not take it: the
    // memory goes back to what the file holds, and takeFileError() says why.
    void commit();
    // Why the file did not take a write since the last call ("" when it took them all).
    std::string takeFileError() { return std::exchange(fileError_, {}); }

    Image memory{};

    // The pager sits in this socket (null: always in). A chip that is not in answers nothing.
    void sitIn(PagerSocket* socket) { socket_ = socket; }
    bool present() { return socket_ == nullptr || socket_->pagerIn(); }

    // Fault: the bits of `mask` come back flipped whenever `address` is read.
    void flipOnRead(unsigned address, std::uint8_t mask) { readFlips_[address % kImageSize] = mask; }
    std::uint8_t readByte(unsigned address) const;
    void writeByte(unsigned address, std::uint8_t value) { memory[address % kImageSize] = value; }

private:
    std::map<unsigned, std::uint8_t> readFlips_;
    std::string file_;
    Image inFile_{};  // what the pager file holds
    std::string fileError_;
    PagerSocket* socket_ = nullptr;
};

}  // namespace pagerprog
