// What the fuzz targets share: started programs as the window starts them, in a chosen
// revision, and a private folder for the files they save and load.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/document/application.h"
#include "app/document/profiles.h"
#include "support/recording_host.h"

namespace pagerprog::fuzz {

// A started program in a revision. Each fuzz input gets fresh ones, so an input found
// failing fails again on its own.
struct Program {
    explicit Program(Revision revision) {
        app.start(StartupOptions{'.', "/nonexistent"});
        while (app.program().hardwareRevision != revision) switch_modelClick(app.context());
        host.clear();
    }
    bool open(const std::filesystem::path& path) {
        host.openAnswers.push_back(path.string());
        return app.menuCommand(element::open) && host.messages.empty();
    }
    bool save(const std::filesystem::path& path) {
        host.saveAnswers.push_back(path.string());
        return app.menuCommand(element::save) && host.messages.empty();
    }
    testing::RecordingHost host;
    Application app{host};
};

inline const std::filesystem::path& scratchFolder() {
    static const std::filesystem::path folder = [] {
        std::filesystem::path base =
            std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        base /= "pagerprog-fuzz-" + std::to_string(::getpid());
        std::filesystem::create_directories(base);
        return base;
    }();
    return folder;
}

inline void writeFile(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// The revision an input byte names.
inline Revision revisionOf(std::uint8_t byte) { return kRevisions[byte % kRevisions.size()]; }

}  // namespace pagerprog::fuzz
