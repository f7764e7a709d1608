// LevelDB and Snappy as built for the program, through the store wrapper:
// a store of the test's own written, cut down by a range of deletes and
// compacted; the stores real Chromium wrote (laid from the real-profiles-b
// set); a folder named outside the ANSI code page; folders that hold no store.
#include <gtest/gtest.h>

#include <leveldb/table.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/LevelDb.h"
#include "base/Text.h"
#include "support/TestSupport.h"

using namespace purgelet;
using testing_support::TempDir;

#define ASSERT_OK(expression)                                                   \
    do {                                                                        \
        const leveldb::Status status_ = (expression);                           \
        ASSERT_TRUE(status_.ok()) << #expression << ": " << status_.ToString(); \
    } while (false)

namespace {

// Makes a new store in folder (an ANSI path) with LevelDB itself, holding
// the given keys; LevelDB's own log is kept out of it.
void MakeStore(const std::string& folder, const std::map<std::string, std::string>& entries = {}) {
    DiscardingLevelDbLog log;
    leveldb::Options options;
    options.create_if_missing = true;
    options.error_if_exists = true;
    options.info_log = &log;
    leveldb::DB* made = nullptr;
    ASSERT_OK(leveldb::DB::Open(options, folder, &made));
    const std::unique_ptr<leveldb::DB> db(made);
    leveldb::WriteBatch batch;
    for (const auto& [key, value] : entries) batch.Put(key, value);
    ASSERT_OK(db->Write(leveldb::WriteOptions(), &batch));
}

// The names in a folder (wide, so any name is seen), sorted.
std::vector<std::wstring> Names(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Every file of a folder with its bytes.
std::map<std::wstring, std::string> Contents(const std::wstring& folder) {
    std::map<std::wstring, std::string> contents;
    for (const std::wstring& name : Names(folder)) {
        const std::wstring path = folder + L"\\" + name;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        std::string bytes = "(unreadable)";
        if (file != INVALID_HANDLE_VALUE) {
            bytes.clear();
            char buffer[65536];
            DWORD got = 0;
            while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
            CloseHandle(file);
        }
        contents[name] = bytes;
    }
    return contents;
}

// Copies the files of a store's folder into a new folder.
void CopyStore(const std::wstring& from, const std::wstring& to) {
    ASSERT_TRUE(CreateDirectoryW(to.c_str(), nullptr)) << GetLastError();
    for (const std::wstring& name : Names(from))
        ASSERT_TRUE(CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), TRUE))
            << Utf8(name) << ": " << GetLastError();
}

std::map<std::string, std::string> Entries(const LevelDbStore& store, const std::string& prefix = "") {
    std::map<std::string, std::string> entries;
    const leveldb::Status status = store.ForEach(prefix, [&](const leveldb::Slice& key, const leveldb::Slice& value) {
        entries[key.ToString()] = value.ToString();
        return true;
    });
    EXPECT_TRUE(status.ok()) << status.ToString();
    return entries;
}

std::vector<std::string> Keys(const std::map<std::string, std::string>& entries) {
    std::vector<std::string> keys;
    for (const auto& entry : entries) keys.push_back(entry.first);
    return keys;
}

// The user keys each table file of a store holds, deletion markers too, read
// from the files themselves rather than through the store.
std::vector<std::string> KeysInTables(const std::string& folder) {
    std::vector<std::string> keys;
    std::vector<std::string> children;
    leveldb::Env* env = leveldb::Env::Default();
    EXPECT_TRUE(env->GetChildren(folder, &children).ok());
    for (const std::string& child : children) {
        if (child.size() < 4 || child.compare(child.size() - 4, 4, ".ldb") != 0) continue;
        const std::string path = folder + "\\" + child;
        uint64_t size = 0;
        leveldb::RandomAccessFile* opened = nullptr;
        EXPECT_TRUE(env->GetFileSize(path, &size).ok());
        EXPECT_TRUE(env->NewRandomAccessFile(path, &opened).ok());
        const std::unique_ptr<leveldb::RandomAccessFile> file(opened);
        leveldb::Table* table = nullptr;
        const leveldb::Status status = leveldb::Table::Open(leveldb::Options(), file.get(), size, &table);
        EXPECT_TRUE(status.ok()) << path << ": " << status.ToString();
        const std::unique_ptr<leveldb::Table> owned(table);
        if (!table) continue;
        const std::unique_ptr<leveldb::Iterator> entry(table->NewIterator(leveldb::ReadOptions()));
        // A table's keys carry 8 bytes of sequence number and kind.
        for (entry->SeekToFirst(); entry->Valid(); entry->Next())
            keys.push_back(entry->key().ToString().substr(0, entry->key().size() - 8));
        EXPECT_TRUE(entry->status().ok()) << path << ": " << entry->status().ToString();
    }
    return keys;
}

// Turns one byte of a file into its complement.
void Damage(const std::wstring& path, long offset) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << Utf8(path) << ": " << GetLastError();
    unsigned char byte = 0;
    DWORD done = 0;
    SetFilePointer(file, offset, nullptr, FILE_BEGIN);
    EXPECT_TRUE(ReadFile(file, &byte, 1, &done, nullptr) && done == 1);
    byte = static_cast<unsigned char>(~byte);
    SetFilePointer(file, offset, nullptr, FILE_BEGIN);
    EXPECT_TRUE(WriteFile(file, &byte, 1, &done, nullptr) && done == 1);
    CloseHandle(file);
}

std::string Numbered(const char* pattern, int n) {
    char text[64];
    std::snprintf(text, sizeof(text), pattern, n);
    return text;
}

}  // namespace

// A store written, read back, cut down by a batch of deletes over one key
// range, compacted: after reopening it holds exactly the other keys, and no
// table, log or manifest in its folder still holds a deleted key. Its tables
// are Snappy-compressed.
TEST(LevelDb, AStoreKeepsExactlyTheKeysOutsideADeletedRange) {
    TempDir dir;
    const std::string folder = dir / "store";
    const std::wstring wide = Widen(folder);
    MakeStore(folder);

    // The range is the keys that begin "gone:"; its neighbours on both sides stay.
    std::map<std::string, std::string> written, kept;
    std::size_t keptBytes = 0;
    for (int i = 0; i < 200; ++i) {
        const std::string value = Numbered("kept-%03d-", i) + std::string(4000, 'k');
        written[Numbered("keep:%03d", i)] = kept[Numbered("keep:%03d", i)] = value;
        keptBytes += value.size();
        written[Numbered("gone:%03d", i)] = Numbered("gone-%03d-", i) + std::string(4000, 'g');
    }
    for (const char* neighbour : {"gone", "gone;", "gonf", "gon"}) written[neighbour] = kept[neighbour] = neighbour;

    LevelDbStore store;
    ASSERT_OK(store.Open(wide));
    leveldb::WriteBatch puts;
    for (const auto& [key, value] : written) puts.Put(key, value);
    ASSERT_OK(store.Write(puts));
    store.Close();
    EXPECT_FALSE(store.IsOpen());

    ASSERT_OK(store.Open(wide));
    EXPECT_EQ(Entries(store), written);
    leveldb::WriteBatch deletes;
    int deleted = 0;
    ASSERT_OK(store.ForEach("gone:", [&](const leveldb::Slice& key, const leveldb::Slice&) {
        deletes.Delete(key);
        ++deleted;
        return true;
    }));
    EXPECT_EQ(deleted, 200);
    ASSERT_OK(store.Write(deletes));
    store.Db().CompactRange(nullptr, nullptr);
    store.Close();

    ASSERT_OK(store.Open(wide));
    EXPECT_EQ(Keys(Entries(store)), Keys(kept));
    EXPECT_EQ(Entries(store), kept);
    EXPECT_TRUE(Entries(store, "gone:").empty());
    std::string value;
    EXPECT_TRUE(store.Db().Get(leveldb::ReadOptions(), "gone:007", &value).IsNotFound());
    // Stopping a walk part-way is no error.
    int visited = 0;
    ASSERT_OK(store.ForEach("keep:", [&](const leveldb::Slice&, const leveldb::Slice&) { return ++visited < 3; }));
    EXPECT_EQ(visited, 3);
    store.Close();

    std::size_t tableBytes = 0;
    const std::map<std::wstring, std::string> files = Contents(wide);
    for (const auto& [name, bytes] : files) {
        if (EndsWith(name, L".ldb")) tableBytes += bytes.size();
        if (EndsWith(name, L".log")) {
            EXPECT_TRUE(bytes.empty()) << Utf8(name) << " still holds records";
        }
        if (name.rfind(L"MANIFEST-", 0) == 0) {
            EXPECT_NE(bytes.find("keep:199"), std::string::npos) << "the manifest names its tables' last key";
            EXPECT_EQ(bytes.find("gone:"), std::string::npos) << Utf8(name) << " names a deleted key";
        }
        // No info log was written, nor a browser's renamed.
        EXPECT_NE(name, L"LOG");
        EXPECT_NE(name, L"LOG.old");
    }
    // 800 KB of kept values, each a run of one letter: Snappy makes little of them.
    EXPECT_GT(tableBytes, 0u);
    EXPECT_LT(tableBytes, keptBytes / 10) << "the tables are not compressed";
    std::vector<std::string> inTables = KeysInTables(folder);
    std::sort(inTables.begin(), inTables.end());
    EXPECT_EQ(inTables, Keys(kept));
}

// Damage is an error, never a shorter store: a table block that fails its
// checksum ends the walk with an error after the keys before it, and a log
// record that fails its checksum stops the opening and leaves the store as it
// was (LevelDB would otherwise drop the record and write the store anew
// without it).
TEST(LevelDb, ADamagedStoreIsAnErrorNotAShorterOne) {
    TempDir dir;
    std::map<std::string, std::string> entries;
    for (int i = 0; i < 300; ++i) entries[Numbered("key:%05d", i)] = Numbered("value-%05d-", i) + std::string(100, 'x');

    const std::string compacted = dir / "table";
    MakeStore(compacted, entries);
    LevelDbStore store;
    ASSERT_OK(store.Open(Widen(compacted)));
    store.Db().CompactRange(nullptr, nullptr);
    store.Close();
    std::wstring table;
    for (const std::wstring& name : Names(Widen(compacted)))
        if (EndsWith(name, L".ldb")) table = Widen(compacted) + L"\\" + name;
    ASSERT_FALSE(table.empty());
    Damage(table, 50);
    ASSERT_OK(store.Open(Widen(compacted)));
    int visited = 0;
    const leveldb::Status walked = store.ForEach("", [&](const leveldb::Slice&, const leveldb::Slice&) {
        ++visited;
        return true;
    });
    EXPECT_TRUE(walked.IsCorruption()) << walked.ToString();
    EXPECT_LT(visited, 300);
    store.Close();

    // As a browser leaves a store: its keys only in the log.
    const std::string logged = dir / "log";
    MakeStore(logged, entries);
    std::wstring log;
    for (const std::wstring& name : Names(Widen(logged)))
        if (EndsWith(name, L".log")) log = Widen(logged) + L"\\" + name;
    ASSERT_FALSE(log.empty());
    Damage(log, 5000);
    const auto damaged = Contents(Widen(logged));
    const leveldb::Status opened = store.Open(Widen(logged));
    EXPECT_TRUE(opened.IsCorruption()) << opened.ToString();
    EXPECT_FALSE(store.IsOpen());
    EXPECT_EQ(Contents(Widen(logged)), damaged);
}

// A store is held by one owner at a time: a second opening fails on its lock
// while the first goes on reading; a moved store stays open in its new owner.
TEST(LevelDb, AStoreHeldOpenIsRefusedToASecondOpener) {
    TempDir dir;
    const std::string folder = dir / "held";
    MakeStore(folder, {{"a", "1"}, {"b", "2"}});
    LevelDbStore first, second;
    ASSERT_OK(first.Open(Widen(folder)));
    const leveldb::Status refused = second.Open(Widen(folder));
    EXPECT_TRUE(refused.IsIOError()) << refused.ToString();
    EXPECT_FALSE(second.IsOpen());
    LevelDbStore moved = std::move(first);
    EXPECT_FALSE(first.IsOpen());
    ASSERT_TRUE(moved.IsOpen());
    EXPECT_EQ(Entries(moved).size(), 2u);
    EXPECT_FALSE(first.ForEach("", [](const leveldb::Slice&, const leveldb::Slice&) { return true; }).ok());
    moved.Close();
    // With the lock given back, the second opener gets it; a path with a
    // trailing backslash names the same store.
    ASSERT_OK(second.Open(Widen(folder) + L"\\"));
    EXPECT_EQ(Entries(second).size(), 2u);
}

// LevelDB's file functions take ANSI names. A folder named outside the code
// page is either opened as itself or refused; its best-fit look-alike (Omega
// for Ωmega), which LevelDB would open instead, is left untouched.
TEST(LevelDb, AFolderOutsideTheCodePageIsOpenedAsItselfOrRefused) {
    TempDir dir;
    const std::wstring top = Widen(dir.Path());
    MakeStore(dir / "Omega", {{"which", "Omega"}});
    MakeStore(dir / "made", {{"which", "\xce\xa9mega"}});
    const std::wstring omega = top + L"\u03a9mega";
    ASSERT_TRUE(MoveFileW((top + L"made").c_str(), omega.c_str())) << GetLastError();
    const auto lookAlike = Contents(top + L"Omega");
    const auto itself = Contents(omega);

    LevelDbStore store;
    const leveldb::Status status = store.Open(omega);
    if (NarrowPath(omega)) {
        ASSERT_OK(status);
        std::string which;
        ASSERT_OK(store.Db().Get(leveldb::ReadOptions(), "which", &which));
        EXPECT_EQ(which, "\xce\xa9mega");
        store.Close();
    } else {
        EXPECT_TRUE(status.IsInvalidArgument()) << status.ToString();
        EXPECT_NE(status.ToString().find("ANSI code page"), std::string::npos) << status.ToString();
        EXPECT_NE(status.ToString().find(Utf8(omega)), std::string::npos) << status.ToString();
        EXPECT_FALSE(store.IsOpen());
        EXPECT_EQ(Contents(omega), itself);
    }
    EXPECT_EQ(Contents(top + L"Omega"), lookAlike) << "the look-alike folder was opened";

    // A name outside ASCII that the code page holds opens as itself.
    MakeStore(dir / "made", {{"which", "caf\xc3\xa9"}});
    const std::wstring cafe = top + L"caf\u00e9";
    ASSERT_TRUE(MoveFileW((top + L"made").c_str(), cafe.c_str())) << GetLastError();
    if (NarrowPath(cafe)) {
        ASSERT_OK(store.Open(cafe));
        std::string which;
        ASSERT_OK(store.Db().Get(leveldb::ReadOptions(), "which", &which));
        EXPECT_EQ(which, "caf\xc3\xa9");
    }
}

// Nothing is made where no store is: not a missing folder (nor its parent),
// not a lock file in an empty folder or in one that holds other files.
TEST(LevelDb, NoStoreIsMadeWhereThereIsNone) {
    TempDir dir;
    LevelDbStore store;
    leveldb::Status status = store.Open(Widen(dir / "missing"));
    EXPECT_TRUE(status.IsNotFound()) << status.ToString();
    EXPECT_FALSE(testing_support::Exists(dir / "missing"));
    status = store.Open(Widen(dir / "missing\\deeper"));
    EXPECT_FALSE(status.ok());
    EXPECT_FALSE(testing_support::Exists(dir / "missing"));

    testing_support::MakeDir(dir / "empty");
    status = store.Open(Widen(dir / "empty"));
    EXPECT_TRUE(status.IsNotFound()) << status.ToString();
    EXPECT_TRUE(testing_support::IsFolderEmpty(dir / "empty\\"));

    testing_support::MakeDir(dir / "other");
    testing_support::WriteFile(dir / "other\\notes.txt", "notes");
    testing_support::WriteFile(dir / "other\\MANIFEST-000001", "not a manifest");
    const auto before = Contents(Widen(dir / "other"));
    status = store.Open(Widen(dir / "other"));
    EXPECT_TRUE(status.IsNotFound()) << status.ToString();
    EXPECT_EQ(Contents(Widen(dir / "other")), before);
    EXPECT_FALSE(store.IsOpen());
}

// The stores real Chromium 156 wrote (Local Storage, Session Storage, the
// Service Worker database of both profiles of the real-profiles-b set), each
// opened as a copy: every key is read with the walk ending OK, each origin
// the browser stored something for is found, the browser's LOG and LOG.old
// are left as they were, and after the opening turned the browser's log into
// a table of ours the store reads the same again.
TEST(LevelDb, StoresWrittenByChromiumAreReadWhole) {
    const std::string userData = "C:\\purgelet-real-profiles\\AppData\\Local\\Microsoft\\Edge\\User Data\\";
    if (!testing_support::IsDir(userData))
        GTEST_SKIP() << "the real-profiles-b set is not laid (name its archive with -DPURGELET_REAL_PROFILES=...)";
    const char* const origins[] = {"http://example.net", "http://www.example.net", "http://shop.example.net",
                                   "http://notexample.net"};
    struct Kind {
        const char* folder;
        const char* prefix;  // where an origin's keys begin, before the origin
        const char* after;   // what follows the origin in that key
    };
    const Kind kinds[] = {
        {"Local Storage\\leveldb", "META:", ""},
        {"Session Storage", "namespace-", "/"},
        {"Service Worker\\Database", "INITDATA_UNIQUE_ORIGIN:", "/"},
    };
    for (const char* profile : {"Default", "Profile 1"}) {
        for (const Kind& kind : kinds) {
            SCOPED_TRACE(std::string(profile) + "\\" + kind.folder);
            const std::wstring laid = Widen(userData + profile + "\\" + kind.folder);
            TempDir dir;
            const std::wstring copy = Widen(dir / "store");
            CopyStore(laid, copy);
            const auto asWritten = Contents(copy);
            std::size_t tables = 0;
            for (const auto& file : asWritten) tables += EndsWith(file.first, L".ldb");
            std::printf("%s\\%s: %zu files, %zu tables as the browser left it\n", profile, kind.folder,
                        asWritten.size(), tables);

            LevelDbStore store;
            ASSERT_OK(store.Open(copy));
            const auto entries = Entries(store);
            EXPECT_GT(entries.size(), 4u);
            for (const char* origin : origins) {
                bool found = false;
                for (const auto& [key, value] : entries)
                    found = found || (key.rfind(kind.prefix, 0) == 0 &&
                                      key.size() >= std::strlen(origin) + std::strlen(kind.after) &&
                                      key.compare(key.size() - std::strlen(kind.after) - std::strlen(origin),
                                                  std::string::npos, std::string(origin) + kind.after) == 0);
                EXPECT_TRUE(found) << "no " << kind.prefix << " key of " << origin;
            }
            if (std::string(kind.prefix) == "META:") {
                // A value as the page stored it: Latin-1 text after its format byte.
                EXPECT_EQ(entries.count("VERSION"), 1u);
                for (const char* origin : origins) {
                    const auto value = entries.find(std::string("_") + origin + std::string("\0\x01prefs-b", 9));
                    ASSERT_NE(value, entries.end()) << origin;
                    EXPECT_EQ(value->second, std::string("\x01ls-b-") + (std::strchr(origin, ':') + 3));
                }
            }
            store.Close();

            const auto opened = Contents(copy);
            for (const wchar_t* log : {L"LOG", L"LOG.old"}) {
                ASSERT_EQ(asWritten.count(log), 1u) << Utf8(log);
                EXPECT_EQ(opened.at(log), asWritten.at(log)) << Utf8(log) << " was changed";
            }
            ASSERT_OK(store.Open(copy));
            EXPECT_EQ(Entries(store), entries);
        }
    }
}
