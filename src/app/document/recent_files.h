// The settings files opened or saved last, newest first, as "Open &Recent" lists them: each
// once, by its absolute path with links followed, so that an entry opens from any folder.
#pragma once

#include <string>
#include <vector>

#include "settings/field_table.h"

namespace pagerprog {

class SettingsModel;

class RecentFiles {
public:
    static constexpr std::size_t kCapacity = element::kRecentFiles;

    // Kept in their order, less empty paths, repeats and any beyond the capacity; a relative
    // path (kept by an older version) is taken from the current folder.
    explicit RecentFiles(const std::vector<std::string>& paths = {});

    // Puts `path` first, moving it up when listed already under any spelling; the oldest falls
    // off. False when it was first already (nothing changed).
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
