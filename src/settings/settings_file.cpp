#include "settings/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include "host/plural.h"

namespace pagerprog {

namespace fs = std::filesystem;

namespace {

// Dialog paths are UTF-8; the path type carries them to the system's own encoding.
fs::path filePath(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

constexpr int kMostLinks = 40;  // as the kernel allows when it follows links itself

// A file descriptor that is closed on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now, so that an error of the close itself is seen.
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

std::string systemError(int error) { return std::strerror(error); }

bool writeAll(int fd, const Image& image) {
    std::size_t done = 0;
    while (done < image.size()) {
        const ssize_t written = ::write(fd, image.data() + done, image.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// The file a path finally names: links are followed one by one, so that a link whose
// target does not exist yet still leads to that target instead of being replaced.
struct SaveTarget {
    fs::path path;
    bool ownDescriptor = false;  // /dev/stdout, /proc/self/fd/N: written where it points
};

bool isOwnDescriptor(const fs::path& path) {
    const std::string text = path.string();
    return text.rfind("/proc/self/fd/", 0) == 0 || text.rfind("/dev/fd/", 0) == 0;
}

SaveTarget followLinks(fs::path path) {
    for (int i = 0; i < kMostLinks; ++i) {
        if (isOwnDescriptor(path)) return {path, true};
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error))) return {path, false};
        const fs::path target = fs::read_symlink(path, error);
        if (error) return {path, false};
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return {path, false};
}

// Writes straight into what is there: a device, a pipe, or a file whose folder takes no
// temporary file. A regular file is cut to the image's length and synced.
SaveOutcome writeInPlace(const fs::path& target, const Image& image, bool inPlace) {
    Descriptor fd(::open(target.c_str(), O_WRONLY | O_CLOEXEC));
    if (!fd.valid()) return {false, inPlace, systemError(errno)};
    struct stat info {};
    const bool regular = ::fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode);
    if (!writeAll(fd.get(), image)) return {false, inPlace, systemError(errno)};
    if (regular && (::ftruncate(fd.get(), static_cast<off_t>(image.size())) != 0 || ::fsync(fd.get()) != 0))
        return {false, inPlace, systemError(errno)};
    if (!fd.close()) return {false, inPlace, systemError(errno)};
    return {true, inPlace, ""};
}

// A new file beside the target that nobody else uses: created exclusively under a
// random name, so two saves at once never share one.
struct Temporary {
    fs::path path;
    int fd = -1;
    int error = 0;
};

Temporary createTemporary(const fs::path& target, mode_t mode) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    Temporary temporary;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string suffix = ".saving-" + std::to_string(random() % 1'000'000'000);
        temporary.path = target.parent_path() / target.filename().concat(suffix);
        temporary.fd = ::open(temporary.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (temporary.fd >= 0 || errno != EEXIST) break;
    }
    temporary.error = temporary.fd < 0 ? errno : 0;
    return temporary;
}

bool syncFolder(const fs::path& folder) {
    Descriptor fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.valid() && ::fsync(fd.get()) == 0;
}

// A regular file (or none yet) is replaced whole: the image goes into a temporary file
// beside it, which is synced and then renamed over it, so a failure never leaves the old
// file truncated. When the folder takes no temporary file, an existing file is written in
// place instead.
SaveOutcome replaceFile(const fs::path& target, const Image& image, const struct stat* existing) {
    const mode_t mode = existing != nullptr ? (existing->st_mode & 07777) : 0666;
    Temporary temporary = createTemporary(target, mode);
    if (temporary.fd < 0) {
        const bool folderRefuses = temporary.error == EACCES || temporary.error == EPERM || temporary.error == EROFS;
        if (existing != nullptr && folderRefuses) return writeInPlace(target, image, true);
        return {false, false, systemError(temporary.error)};
    }
    Descriptor fd(temporary.fd);
    const auto fail = [&](int error) {
        ::unlink(temporary.path.c_str());
        return SaveOutcome{false, false, systemError(error)};
    };
    // The new file keeps the old one's permissions whatever the umask says.
    if (existing != nullptr && ::fchmod(fd.get(), mode) != 0) return fail(errno);
    if (!writeAll(fd.get(), image) || ::fsync(fd.get()) != 0) return fail(errno);
    if (!fd.close()) return fail(errno);
    if (::rename(temporary.path.c_str(), target.c_str()) != 0) return fail(errno);
    syncFolder(target.parent_path());
    return {true, false, ""};
}

}  // namespace

ReadOutcome readSettingsFile(const std::string& path, Image& bytes) {
    Descriptor fd(::open(filePath(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) return {false, systemError(errno), 0};
    bytes.fill(0xFF);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return {false, systemError(errno), 0};
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    // A pipe has no length of its own: what it gave is what it had.
    struct stat info {};
    const bool regular = ::fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode);
    return {true, "", regular ? static_cast<std::uintmax_t>(info.st_size) : done};
}

std::string lengthProblem(std::uintmax_t length) {
    if (length == kImageSize) return "";
    return plural(static_cast<long long>(length), "byte") + ", a settings file has " + std::to_string(kImageSize);
}

SaveOutcome writeImageFile(const std::string& path, const Image& image) {
    const SaveTarget target = followLinks(filePath(path));
    if (target.ownDescriptor) return writeInPlace(target.path, image, false);
    struct stat info {};
    if (::stat(target.path.c_str(), &info) != 0) {
        if (errno != ENOENT) return {false, false, systemError(errno)};
        return replaceFile(target.path, image, nullptr);
    }
    if (S_ISDIR(info.st_mode)) return {false, false, systemError(EISDIR)};
    // A device, a pipe or a socket is written, never replaced.
    if (!S_ISREG(info.st_mode)) return writeInPlace(target.path, image, false);
    // An existing file that may not be written is not replaced behind its back.
    if (::access(target.path.c_str(), W_OK) != 0) return {false, false, systemError(errno)};
    return replaceFile(target.path, image, &info);
}

}  // namespace pagerprog
