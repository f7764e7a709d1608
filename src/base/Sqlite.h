#pragma once
// SQLite connections and prepared statements, owned: closed and finalized
// when they go.
#include <sqlite3.h>

#include "base/Handles.h"

namespace purgelet {

struct SqliteCloser {
    static sqlite3* None() { return nullptr; }
    void operator()(sqlite3* database) const { sqlite3_close_v2(database); }
};
using SqliteDatabase = UniqueHandle<sqlite3*, SqliteCloser>;

struct SqliteStatementCloser {
    static sqlite3_stmt* None() { return nullptr; }
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using SqliteStatement = UniqueHandle<sqlite3_stmt*, SqliteStatementCloser>;

}  // namespace purgelet
