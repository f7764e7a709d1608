// The SQLite library as built for the program: a database file in WAL mode
// under Wine, whose committed rows a second connection reads before any
// checkpoint.
#include <gtest/gtest.h>

#include "base/Sqlite.h"
#include "support/TestSupport.h"

using namespace purgelet;

TEST(Sqlite, AWalDatabaseFileIsWrittenAndReadThroughTheLibrary) {
    const std::string folder = "C:\\purgelet-sqlite\\";
    testing_support::RemoveTree(folder);
    testing_support::MakeDir(folder);
    const std::string file = folder + "test.db";
    SqliteDatabase writer, reader;
    ASSERT_EQ(sqlite3_open_v2(file.c_str(), writer.Receive(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer.Get(),
                           "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0; CREATE TABLE t(x);"
                           "INSERT INTO t VALUES (1), (2), (3);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    EXPECT_TRUE(testing_support::Exists(file + "-wal"));
    ASSERT_EQ(sqlite3_open_v2(file.c_str(), reader.Receive(), SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    SqliteStatement count;
    ASSERT_EQ(sqlite3_prepare_v2(reader.Get(), "SELECT count(*) FROM t", -1, count.Receive(), nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(count.Get()), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(count.Get(), 0), 3);
    count.Reset();
    reader.Reset();
    writer.Reset();
    testing_support::RemoveTree(folder);
}
