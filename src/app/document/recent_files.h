// The settings files opened or saved last, newest first, as "Open &Recent" lists them.
#pragma once

#include <string>
#include <vector>

#include "settings/field_table.h"

namespace pagerprog {

class SettingsModel;

class RecentFiles {
public:
    static constexpr std::size_t kCapacity = element::kRecentFiles;

    // Kept as given, less empty paths, repeats and any beyond the capacity.
    explicit RecentFiles(const std::vector<std::string>& paths = {});

    // Puts `path` first, moving it up when listed already; the oldest falls off. False
    // when it was first already (nothing changed).
    bool add(const std::string& path);
    void remove(const std::string& path);
    const std::vector<std::string>& paths() const { return paths_; }

private:
    std::vector<std::string> paths_;
};

// The menu caption of entry `number` (from 1): its mnemonic digit and the path, the home
// folder shortened to "~" and any "&" doubled so that it shows as itself.
std::string recentFileCaption(int number, const std::string& path, const std::string& home);

// Shows the list in the items of "Open &Recent"; the submenu is disabled while empty.
void showRecentFiles(SettingsModel& model, const RecentFiles& files, const std::string& home);

}  // namespace pagerprog
