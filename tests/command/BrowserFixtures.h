#pragma once
// What the browsers' database tests share: databases made and read with the
// program's own SQLite library, and a profile's object in a document.
#include <gtest/gtest.h>

#include <string>

#include <nlohmann/json.hpp>

#include "base/Sqlite.h"

namespace command_tests {

inline purgelet::SqliteDatabase OpenDatabase(const std::string& file) {
    purgelet::SqliteDatabase db;
    EXPECT_EQ(sqlite3_open_v2(file.c_str(), db.Receive(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
              SQLITE_OK);
    return db;
}
inline void Exec(sqlite3* db, const std::string& sql) {
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db) << sql;
}
inline void Make(const std::string& file, const std::string& sql) { Exec(OpenDatabase(file).Get(), sql); }
// The first column of the query's rows, joined with ",".
inline std::string Query(const std::string& file, const std::string& sql) {
    purgelet::SqliteDatabase db = OpenDatabase(file);
    purgelet::SqliteStatement statement;
    EXPECT_EQ(sqlite3_prepare_v2(db.Get(), sql.c_str(), -1, statement.Receive(), nullptr), SQLITE_OK) << sql;
    std::string rows;
    while (statement && sqlite3_step(statement.Get()) == SQLITE_ROW) {
        const unsigned char* text = sqlite3_column_text(statement.Get(), 0);
        rows += (rows.empty() ? "" : ",") + std::string(text ? reinterpret_cast<const char*>(text) : "NULL");
    }
    return rows;
}

// A profile's object in a category of a document.
inline nlohmann::json Profile(const nlohmann::json& document, const std::string& category, const std::string& browser) {
    for (const nlohmann::json& c : document.at("categories"))
        if (c.at("name") == category)
            for (const nlohmann::json& p : c.at("profiles"))
                if (p.at("browser") == browser) return p;
    return nlohmann::json();
}

}  // namespace command_tests
