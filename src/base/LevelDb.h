#pragma once
// LevelDB stores (the browsers' stores kept by origin), owned: a store is
// closed when its owner goes, an iterator deleted when its owner goes.
//
// Opening a store changes it: LevelDB turns its log into a table and writes
// a new manifest, so a preview works on a copy. What this wrapper adds to
// LevelDB's own opening:
// - nothing is ever created: no folder, and no lock file in a folder that
//   holds no store (LevelDB makes both even when told not to create one);
// - no info log: LevelDB's own writes deleted keys in clear text beside the
//   store and renames the browser's LOG to LOG.old; this one writes nothing,
//   and the browser's LOG and LOG.old stay as they were;
// - the folder is named by a wide path, and LevelDB's Windows file code takes
//   only ANSI names: a path that the ANSI code page cannot name exactly is
//   refused, never converted to a look-alike that names another folder;
// - damage is an error: a log record or block that fails its checksum stops
//   the opening or the iteration, so nothing is dropped from a store quietly
//   (LevelDB alone opens a store whose log record is damaged without that
//   record, all keys of its batch, and writes the store anew).
// Deleted keys leave the files only when compacted (CompactRange over their
// range); the manifest may still name a deleted key, as the first or last key
// of a table the compaction removed, until the store is opened once more.
#include <leveldb/db.h>
#include <leveldb/env.h>
#include <leveldb/iterator.h>
#include <leveldb/write_batch.h>

#include <cstdarg>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace purgelet {

// An info log that writes nothing.
class DiscardingLevelDbLog final : public leveldb::Logger {
public:
    void Logv(const char*, std::va_list) override {}
};

// An iterator over a store; it must go before its store.
using LevelDbIterator = std::unique_ptr<leveldb::Iterator>;

// Called with each key and value; false stops the walk.
using LevelDbVisit = std::function<bool(const leveldb::Slice& key, const leveldb::Slice& value)>;

class LevelDbStore {
public:
    LevelDbStore() = default;
    ~LevelDbStore() { Close(); }
    LevelDbStore(LevelDbStore&&) noexcept = default;
    LevelDbStore& operator=(LevelDbStore&& other) noexcept;
    LevelDbStore(const LevelDbStore&) = delete;
    LevelDbStore& operator=(const LevelDbStore&) = delete;

    // Opens the existing store in folder (closing the one held before). Not
    // OK when the folder holds no store (IsNotFound), when the path cannot be
    // named in the ANSI code page (IsInvalidArgument), when another program
    // holds the store (IsIOError: its LOCK is in use), and when the store is
    // damaged or uses another comparator.
    leveldb::Status Open(const std::wstring& folder);
    void Close();
    bool IsOpen() const { return db_ != nullptr; }

    // The open store, for reads, write batches and compaction.
    leveldb::DB& Db() const { return *db_; }
    LevelDbIterator NewIterator() const;
    // Writes a batch and waits until the system has it on disk.
    leveldb::Status Write(leveldb::WriteBatch& batch);
    // Visits the keys that begin with prefix, in key order, until visit says
    // stop. Not OK when the walk ended on an error (a damaged block, a table
    // that cannot be read or decompressed) instead of at the last key: the
    // keys visited are then not all there are.
    leveldb::Status ForEach(std::string_view prefix, const LevelDbVisit& visit) const;

private:
    // Declared in this order so that the store closes before the file
    // functions and the log it uses go.
    std::unique_ptr<leveldb::Logger> log_;
    std::unique_ptr<leveldb::Env> env_;
    std::unique_ptr<leveldb::DB> db_;
};

}  // namespace purgelet
