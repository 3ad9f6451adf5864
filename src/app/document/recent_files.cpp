#include "app/document/recent_files.h"

#include <algorithm>
#include <filesystem>

#include "settings/settings_model.h"

namespace pagerprog {

namespace {

// One spelling per file, whatever folder the program runs in: absolute, without "." and "..",
// links followed as far as the path exists.
std::string canonicalPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error) return path;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, error);
    return (error ? absolute.lexically_normal() : resolved).string();
}

}  // namespace

RecentFiles::RecentFiles(const std::vector<std::string>& paths) {
    for (auto it = paths.rbegin(); it != paths.rend(); ++it) {
        if (!it->empty()) add(*it);
    }
}

bool RecentFiles::add(const std::string& given) {
    const std::string path = canonicalPath(given);
    if (!paths_.empty() && paths_.front() == path) return false;
    remove(path);
    paths_.insert(paths_.begin(), path);
    if (paths_.size() > kCapacity) paths_.resize(kCapacity);
    return true;
}

void RecentFiles::remove(const std::string& path) { std::erase(paths_, canonicalPath(path)); }

std::string recentFileCaption(int number, const std::string& path, const std::string& home) {
    std::string shown = path;
    const bool inHome = !home.empty() && path.size() > home.size() && path.compare(0, home.size(), home) == 0 &&
                        path[home.size()] == '/';
    if (inHome) shown = "~" + path.substr(home.size());
    std::string caption = "&" + std::to_string(number) + " ";
    for (char c : shown) {
        caption += c;
        if (c == '&') caption += '&';
    }
    return caption;
}

void showRecentFiles(SettingsModel& model, const RecentFiles& files, const std::string& home) {
    const auto& paths = files.paths();
    for (int n = 1; n <= element::kRecentFiles; ++n) {
        const auto index = static_cast<std::size_t>(n - 1);
        const bool used = index < paths.size();
        model.setElementCaption(element::recentFile(n), used ? recentFileCaption(n, paths[index], home) : "");
        model.setElementVisible(element::recentFile(n), used);
    }
    model.setElementEnabled(element::recentFiles, !paths.empty());
}

}  // namespace pagerprog
