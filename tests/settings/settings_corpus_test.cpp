// Settings files the tool made, one per revision and customer (tests/data, named
// REVISION-CUSTOMER.eep). Technicians keep such files for years: each must keep loading,
// and saving it again unchanged must give back the very same bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "app/document/application.h"
#include "app/document/profiles.h"
#include "support/recording_host.h"

namespace pagerprog {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<fs::path> corpus() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(PAGERPROG_TEST_DATA_DIR))
        if (entry.path().extension() == ".eep") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// The program as the technician had it when the file was saved.
struct Program {
    Program(const std::string& revision, const std::string& customer) {
        app.start(StartupOptions{'.', "/nonexistent"});
        while (app.program().hardwareRevision != findRevision(revision)) switch_modelClick(app.context());
        const auto& items = app.model().field("customer").items;
        const auto item = std::find(items.begin(), items.end(), customer);
        app.model().userPick("customer", static_cast<int>(item - items.begin()));
        host.clear();
    }
    testing::RecordingHost host;
    Application app{host};
};

TEST(SettingsCorpus, EveryRevisionAndCustomerIsCovered) {
    std::vector<std::string> names;
    for (const auto& file : corpus()) names.push_back(file.stem().string());
    for (const char* expected : {"TV7r2-Cirro", "TV7r3-Normal", "TV8-Cirro", "TV8-Fennic", "TV8-Ravel"})
        EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
}

TEST(SettingsCorpus, EachFileLoadsAndSavesBackByteForByte) {
    const fs::path saved = fs::temp_directory_path() / ("pagerprog_corpus_" + std::to_string(::getpid()) + ".eep");
    for (const auto& file : corpus()) {
        SCOPED_TRACE(file.filename().string());
        const std::string stem = file.stem().string();
        Program program(stem.substr(0, stem.find('-')), stem.substr(stem.find('-') + 1));
        program.host.openAnswers.push_back(file.string());
        ASSERT_TRUE(program.app.menuCommand(element::open));
        EXPECT_EQ(program.host.logLines.at(1), "File loaded");
        program.host.saveAnswers.push_back(saved.string());
        ASSERT_TRUE(program.app.menuCommand(element::save));
        EXPECT_EQ(slurp(saved), slurp(file));
    }
    fs::remove(saved);
}

TEST(SettingsCorpus, AFileIsRefusedUnderAnotherCustomer) {
    for (const auto& file : corpus()) {
        const std::string stem = file.stem().string();
        const std::string customer = stem.substr(stem.find('-') + 1);
        Program program(stem.substr(0, stem.find('-')), customer == "Cirro" ? "Normal" : "Cirro");
        program.host.openAnswers.push_back(file.string());
        EXPECT_FALSE(program.app.menuCommand(element::open)) << stem;
        EXPECT_EQ(program.host.logLines.back(), "File not for this model!") << stem;
    }
}

}  // namespace
}  // namespace pagerprog
