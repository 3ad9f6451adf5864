// Runs pagerprog-cli as a shell would, in a folder of its own with a production record of
// its own, and gives back its exit status and what it wrote.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "settings/eeprom_image.h"

namespace cli_run {

namespace fs = std::filesystem;

struct CliRun {
    int status = -1;
    std::string out, err;
};

class CliFixture : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("pagerprog_cli_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    static std::string slurp(const fs::path& path) {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

    // The command as a shell line: the environment (the record in the test's folder
    // unless `environment` says otherwise), the program, the language files, `args`.
    std::string commandLine(const std::string& args, const std::string& environment = "") const {
        return "env XDG_DATA_HOME=" + path("data") + " " + environment + " " + PAGERPROG_CLI + " --data-dir " +
               PAGERPROG_DATA + " " + args;
    }

    CliRun run(const std::string& args, const std::string& input = "", const std::string& environment = "") {
        const fs::path in = dir / "stdin", out = dir / "stdout", err = dir / "stderr";
        std::ofstream(in) << input;
        const std::string command =
            commandLine(args, environment) + " >" + out.string() + " 2>" + err.string() + " <" + in.string();
        const int raw = std::system(command.c_str());
        return CliRun{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
    }

    std::string path(const std::string& name) const { return (dir / name).string(); }

    static std::string valueOf(const std::string& shown, const std::string& field) {
        std::istringstream lines(shown);
        for (std::string line; std::getline(lines, line);)
            if (line.rfind(field + "=", 0) == 0) return line.substr(field.size() + 1);
        return "<missing>";
    }

    void writeImage(const std::string& name, const pagerprog::Image& image) const {
        std::ofstream(path(name), std::ios::binary).write(reinterpret_cast<const char*>(image.data()), 2048);
    }

    fs::path dir;
};

}  // namespace cli_run
