#include "settings/settings_file.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace pagerprog {

namespace fs = std::filesystem;

namespace {

// Dialog paths are UTF-8; the path type carries them to the system's own encoding.
fs::path filePath(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

}  // namespace

bool readSettingsFile(const std::string& path, Image& bytes) {
    std::ifstream in(filePath(path), std::ios::binary);
    if (!in) return false;
    bytes.fill(0xFF);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return !in.bad();
}

namespace {

// Saving through a link updates the file it points to instead of replacing the link.
fs::path saveTarget(const fs::path& chosen) {
    std::error_code error;
    if (!fs::is_symlink(chosen, error)) return chosen;
    fs::path resolved = fs::weakly_canonical(chosen, error);
    return error ? chosen : resolved;
}

// An existing file that could not be opened for writing is not replaced behind its
// back; opening it to append changes nothing in it.
bool replaceable(const fs::path& target) {
    std::error_code error;
    if (!fs::exists(fs::symlink_status(target, error))) return true;
    std::ofstream probe(target, std::ios::binary | std::ios::app);
    return probe.is_open();
}

// A name beside the target that nothing uses yet.
fs::path temporarySibling(const fs::path& target) {
    const fs::path base = target.parent_path() / target.filename().concat(".saving");
    fs::path candidate = base;
    std::error_code error;
    for (int k = 1; fs::exists(fs::symlink_status(candidate, error)); ++k)
        candidate = fs::path(base).concat(std::to_string(k));
    return candidate;
}

bool writeWholeFile(const fs::path& path, const Image& image) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    out.close();
    return !out.fail();
}

}  // namespace

// Writes the image completely into a temporary file beside the target and only then
// renames it over the target, so a failure never leaves the old file truncated.
bool writeImageFile(const std::string& path, const Image& image) {
    const fs::path target = saveTarget(filePath(path));
    if (!replaceable(target)) return false;
    const fs::path temporary = temporarySibling(target);
    std::error_code error;
    if (!writeWholeFile(temporary, image)) {
        fs::remove(temporary, error);
        return false;
    }
    const auto old = fs::status(target, error);
    if (!error && fs::exists(old)) fs::permissions(temporary, old.permissions(), error);
    fs::rename(temporary, target, error);
    if (error) {
        fs::remove(temporary, error);
        return false;
    }
    return true;
}

}  // namespace pagerprog
