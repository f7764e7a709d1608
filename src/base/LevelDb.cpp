#include "base/LevelDb.h"

#include <windows.h>

#include <optional>
#include <utility>

#include "base/Text.h"

namespace purgelet {

namespace {

leveldb::Status NotOpen() { return leveldb::Status::InvalidArgument("no LevelDB store is open"); }

// LevelDB's own file functions, except that they never make a folder or
// start a store: LevelDB makes the store's folder and takes its LOCK (a new
// file) before it looks for the store, even when it may not create one.
class NoCreatingEnv final : public leveldb::EnvWrapper {
public:
    NoCreatingEnv() : EnvWrapper(leveldb::Env::Default()) {}

    leveldb::Status CreateDir(const std::string& dirname) override {
        return leveldb::Status::NotSupported(dirname, "no folder is made for a LevelDB store");
    }
    // The lock file lies in the store's folder; a folder without the store's
    // CURRENT file is no store, and gets no lock file.
    leveldb::Status LockFile(const std::string& fname, leveldb::FileLock** lock) override {
        const std::size_t slash = fname.find_last_of("/\\");
        const std::string folder = slash == std::string::npos ? std::string() : fname.substr(0, slash + 1);
        if (!target()->FileExists(folder + "CURRENT")) {
            *lock = nullptr;
            return leveldb::Status::NotFound(slash == std::string::npos ? fname : fname.substr(0, slash),
                                             "holds no LevelDB store (no CURRENT file)");
        }
        return target()->LockFile(fname, lock);
    }
};

}  // namespace

LevelDbStore& LevelDbStore::operator=(LevelDbStore&& other) noexcept {
    if (this != &other) {
        Close();
        log_ = std::move(other.log_);
        env_ = std::move(other.env_);
        db_ = std::move(other.db_);
    }
    return *this;
}

leveldb::Status LevelDbStore::Open(const std::wstring& folder) {
    Close();
    std::wstring path = folder;
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    const std::optional<std::string> ansi = NarrowPath(path);
    if (!ansi)
        return leveldb::Status::InvalidArgument(
            Utf8(path), "cannot be named exactly in the ANSI code page (" + std::to_string(GetACP()) +
                            ") that LevelDB's file functions use; it is not opened, lest they open another folder");

    log_ = std::make_unique<DiscardingLevelDbLog>();
    env_ = std::make_unique<NoCreatingEnv>();
    leveldb::Options options;
    options.create_if_missing = false;
    options.error_if_exists = false;
    options.paranoid_checks = true;
    options.info_log = log_.get();
    options.env = env_.get();
    leveldb::DB* db = nullptr;
    const leveldb::Status status = leveldb::DB::Open(options, *ansi, &db);
    db_.reset(db);
    if (!status.ok()) Close();
    return status;
}

void LevelDbStore::Close() {
    db_.reset();
    env_.reset();
    log_.reset();
}

LevelDbIterator LevelDbStore::NewIterator() const {
    if (!db_) return nullptr;
    leveldb::ReadOptions options;
    options.verify_checksums = true;
    return LevelDbIterator(db_->NewIterator(options));
}

leveldb::Status LevelDbStore::Write(leveldb::WriteBatch& batch) {
    if (!db_) return NotOpen();
    leveldb::WriteOptions options;
    options.sync = true;
    return db_->Write(options, &batch);
}

leveldb::Status LevelDbStore::ForEach(std::string_view prefix, const LevelDbVisit& visit) const {
    const LevelDbIterator iterator = NewIterator();
    if (!iterator) return NotOpen();
    const leveldb::Slice start(prefix.data(), prefix.size());
    for (iterator->Seek(start); iterator->Valid() && iterator->key().starts_with(start); iterator->Next())
        if (!visit(iterator->key(), iterator->value())) break;
    return iterator->status();
}

}  // namespace purgelet
