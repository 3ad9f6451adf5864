#include "app/data_folder.h"

#include <filesystem>
#include <system_error>

#include "app/language_files.h"

namespace pagerprog {

std::string programDataFolder() {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    const fs::path candidates[] = {
        error ? fs::path() : exe.parent_path().parent_path() / "share" / "pagerprog",
        PAGERPROG_BUILD_DATA_DIR,
        PAGERPROG_DATA_INSTALL_DIR,
    };
    for (const auto& folder : candidates) {
        if (!folder.empty() && fs::exists(folder / kTv8LanguageFile, error)) return folder.string();
    }
    return PAGERPROG_DATA_INSTALL_DIR;
}

}  // namespace pagerprog
