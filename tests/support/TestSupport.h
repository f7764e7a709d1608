#pragma once
// Helpers shared by the tests. Every test runs inside the build's own Wine
// prefix and creates the keys, folders, files and cache entries it uses.
#include <windows.h>
#include <wininet.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/ProgramState.h"
#include "framework/Application.h"
#include "purgelet_version.h"

namespace testing_support {

// The program's name as its windows and its Run entry carry it, from the build's version.
inline constexpr char kProgramName[] = "Ovk Purgelet v" PURGELET_VERSION_TEXT;

// Registry below HKEY_CURRENT_USER; the setters fail the test when they cannot set.
void RegSetString(const std::string& key, const std::string& name, const std::string& value);
void RegSetDword(const std::string& key, const std::string& name, DWORD value);
void RegSetRaw(const std::string& key, const std::string& name, DWORD type, const std::string& bytes);
// Empty text when the key or value is missing.
std::string RegGetString(const std::string& key, const std::string& name);
bool RegValueExists(const std::string& key, const std::string& name);
bool RegKeyExists(const std::string& key);
void RegDeleteTree(const std::string& key);
// Deletes one value; a missing key or value is no failure.
void RegRemoveValue(const std::string& key, const std::string& name);
// The key below which tests keep keys of their own.
inline constexpr char kTestsKey[] = "Software\\Purgelet Tests";
std::vector<std::string> RegValueNames(const std::string& key);

// The settings key of the program.
std::string SettingsKey();

// Gives a key below HKEY_CURRENT_USER (created when absent) an empty access
// list while it lives, so every open that asks for access fails with
// ERROR_ACCESS_DENIED; its own list comes back when it is destroyed.
class DeniedKey {
public:
    explicit DeniedKey(const std::string& key);
    ~DeniedKey();
    bool Denied() const { return denied_; }

private:
    HKEY key_ = nullptr;  // opened before the list was emptied, so it can put it back
    std::vector<BYTE> saved_;
    bool denied_ = false;
};

// Sets the Windows version the prefix reports to programs started from now
// on ("win98", "nt40", "win2k", "winxp"); when destroyed, the prefix reports
// Wine's default again, which every test program also sets as it starts.
class ReportedVersion {
public:
    explicit ReportedVersion(const std::string& version);
    ~ReportedVersion();
};
// Lets the prefix report Wine's default version; false when it cannot.
bool ReportDefaultVersion();

// A fresh folder of the test's own below C:\purgelet-tests, removed afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& Path() const { return path_; }  // ends in "\"
    std::string operator/(const std::string& rel) const { return path_ + rel; }

private:
    std::string path_;
};

// Both fail the test, naming the path and the error, when they cannot do their job.
void MakeDir(const std::string& path);
void WriteFile(const std::string& path, const std::string& content = "x", DWORD attributes = 0);
bool Exists(const std::string& path);
// A file's bytes, read whole (empty when it can't be read).
std::string ReadWhole(const std::string& path);
bool IsDir(const std::string& path);
// Whether the folder lists and holds no entry, names outside the code page counted too.
bool IsFolderEmpty(const std::string& folder);
// Removes a tree whatever its attributes (test cleanup only).
void RemoveTree(const std::string& path);

// A program state with the message boxes and beeps recorded instead of shown.
struct Recorded {
    struct Box {
        std::string text, caption;
        UINT flags;
    };
    std::vector<Box> boxes;
    int beeps = 0;
};

// The program's own icon, from the test program's resources.
HICON ProgramIcon();

class ProgramFixture {
public:
    ProgramFixture();
    ~ProgramFixture();
    purgelet::ui::Application app{nullptr, ProgramIcon()};
    purgelet::ProgramState state{app};
    Recorded recorded;
};

// Runs a program and waits for it (with a time limit); returns its exit code, or -1.
int RunAndWait(const std::string& commandLine, DWORD timeoutMs = 60000);
// Starts a program; the caller owns the handle.
HANDLE Start(const std::string& commandLine);
// A file in the test program's own folder.
std::string BesideTestProgram(const std::string& name);
// Runs one test of this test program (a DISABLED_ one too) in a child
// process; returns RunAndWait's exit code.
int RunTestInChild(const std::string& test, DWORD timeoutMs = 60000);
// Starts a host-side script copied to the build's host folder (drive T:);
// Wine runs it, but its handle cannot be waited on: wait for a mark it makes.
bool StartHostScript(const std::string& script, const std::string& arguments);
// Waits until the file is there (or, with present false, gone); false after the time limit.
bool WaitForFile(const std::string& path, bool present = true, DWORD timeoutMs = 10000);
// Runs the host-side helper that replaces files by links (Wine makes none)
// and waits for its mark done; arguments as replace_with_links.pl takes
// them (a path with blanks in double quotes).
bool ReplaceFromHost(const std::string& done, const std::string& arguments);
// A program a test started. However the test ends (an assertion that fails
// included), the program is ended when the guard goes: terminated if End has
// not ended it before.
class StartedProgram {
public:
    explicit StartedProgram(const std::string& commandLine) : process_(Start(commandLine)) {}
    ~StartedProgram();
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;
    explicit operator bool() const { return process_ != nullptr; }
    HANDLE Handle() const { return process_; }
    DWORD Id() const { return process_ ? GetProcessId(process_) : 0; }
    // Asks the window to close and waits for the program to end; terminates
    // it after the time limit. True when it ended by itself.
    bool End(HWND window, DWORD timeoutMs = 20000);

private:
    HANDLE process_;
};
// The Windows path of the built program.
std::string ProgramExe();
// Waits for a top-level window with this caption (and class, when given).
HWND WaitForWindow(const std::string& caption, const char* className = nullptr, DWORD timeoutMs = 30000,
                   DWORD processId = 0);
// The texts of a message box's static controls.
std::string DialogText(HWND dialog);

// URL cache entries.
bool AddCookieEntry(const std::string& name);   // "Cookie:user@domain/path"
bool AddHistoryEntry(const std::string& name);  // "Visited: user@http://..."
// An ordinary entry with a local file; returns the file's path (empty on failure).
std::string AddNormalEntry(const std::string& url, const std::string& extension = "htm");
void ClearUrlCache();
std::vector<std::string> CacheEntryNames();
// How a walk reads each entry: into one reused buffer, grown when an entry
// does not fit; or a size query first, then a buffer of exactly that size.
enum class CacheReads { OneBuffer, SizeQueryEach };
// Visits every URL cache entry; returns how many visits answered true.
int WalkUrlCache(const std::function<bool(const INTERNET_CACHE_ENTRY_INFOA&)>& visit,
                 CacheReads reads = CacheReads::OneBuffer);

// Runs sql on a SQLite database file; the first column of the last row it gives.
std::string SqlLastValue(const std::string& file, const std::string& sql);

// The activity log's lines less those that say what a category removed
// ("Removed from user's Temp: ..."), for the tests of the lines around them.
std::vector<std::string> WithoutRemovedLines(std::vector<std::string> lines);

// A steady clock in seconds.
double SecondsNow();

}  // namespace testing_support
