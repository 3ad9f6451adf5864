#include "app/document/recent_files.h"

#include <algorithm>

#include "settings/settings_model.h"

namespace pagerprog {

RecentFiles::RecentFiles(const std::vector<std::string>& paths) {
    for (auto it = paths.rbegin(); it != paths.rend(); ++it) {
        if (!it->empty()) add(*it);
    }
}

bool RecentFiles::add(const std::string& path) {
    if (!paths_.empty() && paths_.front() == path) return false;
    remove(path);
    paths_.insert(paths_.begin(), path);
    if (paths_.size() > kCapacity) paths_.resize(kCapacity);
    return true;
}

void RecentFiles::remove(const std::string& path) { std::erase(paths_, path); }

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
