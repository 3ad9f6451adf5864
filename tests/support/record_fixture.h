// A folder of its own for each production record test's database files, and for the tests
// that run on both stores, a record in that folder or a database of its own on the test
// cluster's server (tools/test-postgres.sh, which ctest starts before them).
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/record/pg_connection.h"
#include "app/record/record_location.h"
#include "app/record/server_schema.h"
#include "support/record_sample.h"

namespace pagerprog::testing {

class RecordFolder : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(test->test_suite_name()) + "_" + test->name();
        for (char& c : name)
            if (c == '/') c = '_';
        folder =
            std::filesystem::temp_directory_path() / ("pagerprog_record_" + std::to_string(::getpid()) + "_" + name);
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        file = folder / "production.sqlite";
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::filesystem::path folder;
    std::filesystem::path file;
};

// The test cluster: PAGERPROG_TEST_POSTGRES names the link to its folder, which holds its
// socket; the tests log in as its superuser.
// Runs SQL on a record file behind the store's back; the first column of the first row.
inline std::string fileSql(const std::filesystem::path& file, const std::string& statement) {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    std::string first;
    auto keepFirst = [](void* out, int, char** values, char**) {
        auto& text = *static_cast<std::string*>(out);
        if (text.empty() && values[0]) text = values[0];
        return 0;
    };
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, statement.c_str(), keepFirst, &first, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    return first;
}

struct TestServer {
    static bool available() { return std::getenv("PAGERPROG_TEST_POSTGRES") != nullptr; }
    static std::string connection(const std::string& database, const std::string& user = "postgres") {
        const auto folder = std::filesystem::canonical(std::getenv("PAGERPROG_TEST_POSTGRES"));
        return "host=" + folder.string() + " user=" + user + " dbname=" + database;
    }
    // Runs statements in `database` as the superuser; the first column of the first row.
    static std::string sql(const std::string& database, const std::string& statement) {
        PgConnection admin(RecordLocation::parse(connection(database)));
        return admin.queryText(statement);
    }
    // tools/test-postgres.sh pause or resume: the server gone and back.
    static void control(const std::string& action) {
        const std::string command =
            "bash " PAGERPROG_TEST_POSTGRES_SCRIPT " " + action + " " + std::getenv("PAGERPROG_TEST_POSTGRES");
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
};

enum class Store { File, Server };

inline void PrintTo(Store store, std::ostream* out) { *out << (store == Store::File ? "a file" : "a server"); }

inline std::string storeName(const ::testing::TestParamInfo<Store>& info) {
    return info.param == Store::File ? "File" : "Server";
}

// A test of a record on either store, with a new record set up for it.
class RecordStores : public RecordFolder, public ::testing::WithParamInterface<Store> {
protected:
    void SetUp() override {
        RecordFolder::SetUp();
        if (GetParam() == Store::File) return;
        if (!TestServer::available()) GTEST_SKIP() << "no test server: run through ctest";
        static int made = 0;
        const std::string name = "pagerprog_test_" + std::to_string(::getpid()) + "_" + std::to_string(++made);
        TestServer::sql("postgres", "CREATE DATABASE " + name);
        database = name;
        setUpServerRecord(location());
    }
    void TearDown() override {
        if (!database.empty()) TestServer::sql("postgres", "DROP DATABASE IF EXISTS " + database + " WITH (FORCE)");
        RecordFolder::TearDown();
    }

    bool onServer() const { return GetParam() == Store::Server; }
    RecordLocation location() const {
        return onServer() ? RecordLocation::parse(TestServer::connection(database)) : RecordLocation::file(file);
    }
    // Runs SQL behind the store's back; the first column of the first row.
    std::string sql(const std::string& statement) {
        return onServer() ? TestServer::sql(database, statement) : fileSql(file, statement);
    }

    std::string database;
};

}  // namespace pagerprog::testing
