#include "link/sim/simulated_pager.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "settings/settings_file.h"

namespace pagerprog {

namespace {

std::runtime_error refusal(const std::string& path, const std::string& why) {
    return std::runtime_error("the simulated pager file " + path + " " + why);
}

}  // namespace

SimulatedPager::SimulatedPager() : memory(factoryImage()) {}

Image SimulatedPager::patternImage(unsigned seed) {
    Image image{};
    for (std::size_t i = 0; i < kImageSize; ++i) image[i] = static_cast<std::uint8_t>(i * seed + (i >> 5));
    image[kChecksumOffset] = imageChecksum(image);
    return image;
}

Image SimulatedPager::factoryImage() {
    Image image = sixAddressTemplate();
    setImageChecksum(image);
    return image;
}

SimulatedPager::PagerFile SimulatedPager::keepIn(const std::string& path) {
    // A pager not kept yet starts factory-fresh and takes the file at its first write.
    const auto factoryFresh = [&] {
        file_ = path;
        inFile_ = memory;
        return PagerFile::Missing;
    };
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno != ENOENT) throw refusal(path, std::string("cannot be read: ") + std::strerror(errno));
        return factoryFresh();
    }
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    // One byte more than a pager holds tells a longer file; nothing more is read.
    Image bytes{};
    std::uint8_t extra = 0;
    ssize_t got = 0;
    std::size_t done = 0;
    while (regular && done <= kImageSize) {
        got = done < kImageSize ? ::read(fd, bytes.data() + done, kImageSize - done) : ::read(fd, &extra, 1);
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    const int readError = got < 0 ? errno : 0;
    ::close(fd);
    if (!regular) throw refusal(path, "is not a regular file");
    if (readError != 0) throw refusal(path, std::string("cannot be read: ") + std::strerror(readError));
    if (done != kImageSize && done != 0) {
        throw refusal(path, done > kImageSize
                                ? "holds more than 2048 bytes: it is no pager file"
                                : "holds " + std::to_string(done) + " bytes, not 2048: it is no pager file");
    }
    if (::access(path.c_str(), W_OK) != 0)
        throw refusal(path, std::string("cannot be written: ") + std::strerror(errno));
    if (done == 0) return factoryFresh();  // an empty file (made with touch, say)
    memory = bytes;
    inFile_ = bytes;
    file_ = path;
    return PagerFile::Loaded;
}

void SimulatedPager::commit() {
    if (socket_ != nullptr) socket_->written();
    if (file_.empty()) return;
    const SaveOutcome outcome = writeImageFile(file_, memory);
    if (outcome.saved) {
        inFile_ = memory;
        return;
    }
    memory = inFile_;
    fileError_ = "the simulated pager file " + file_ + " cannot be written: " + outcome.error;
}

std::uint8_t SimulatedPager::readByte(unsigned address) const {
    address %= kImageSize;
    const auto flip = readFlips_.find(address);
    return static_cast<std::uint8_t>(memory[address] ^ (flip == readFlips_.end() ? 0 : flip->second));
}

}  // namespace pagerprog
