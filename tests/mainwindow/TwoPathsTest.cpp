// The main window and the command line run one engine: on the same traces,
// the window's buttons and the command's categories leave the same system -
// the same files and folders, cache entries and registry values - on the
// Windows XP layout and on this system's own (Vista and later).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "cleaner/CategoryPlan.h"
#include "command/Command.h"
#include "cookies/CookieListWindow.h"
#include "mainwindow/MainWindow.h"
#include "support/TestSupport.h"

using namespace purgelet;
using namespace testing_support;

namespace {

class Discard final : public CommandOutput {
public:
    void Out(std::wstring_view) override {}
    void Err(std::wstring_view) override {}
    bool ErrIsConsole() const override { return false; }
};

// Every entry below folder, as relative paths.
void Tree(const std::string& folder, const std::string& below, std::vector<std::string>& out) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + below + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        // The cache's containers are named at random: only their place counts.
        out.push_back(below == "Content.IE5\\"             ? below + "*"
                      : below.starts_with("Content.IE5\\") ? "Content.IE5\\*\\" + name
                                                           : below + name);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            Tree(folder, below + name + "\\", out);
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

class TwoPaths : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTree(SettingsKey());
        fx.state.SettingsKey = SettingsKey();
        fx.state.WindowsFolder = dir / "WINDOWS\\";
        MakeDir(dir / "WINDOWS\\Temp\\");
        GetEnvironmentVariableW(L"TMP", savedTmp_, MAX_PATH);
        SetEnvironmentVariableW(L"TMP", Widen(dir / "tmp\\").c_str());
        MakeDir(dir / "tmp\\");
    }
    void TearDown() override {
        // The held files stayed, in the shell's folders too.
        for (const CategoryRow& row : kCategories)
            for (const PlannedFolder& f : PlanOf(row.id, fx.state.site).folders)
                DeleteFileA((Narrow(f.folder) + "held.tmp").c_str());
        SetEnvironmentVariableW(L"TMP", savedTmp_);
        RegDeleteTree(kTypedUrlsKey);
        RegDeleteTree(kRunMruKey);
        ClearUrlCache();
        RegDeleteTree(SettingsKey());
    }

    TForm1& Create(DWORD major) {
        fx.state.platform.getVersion = [=](OSVERSIONINFOA* v) {
            v->dwMajorVersion = major;
            v->dwMinorVersion = 1;
            v->dwPlatformId = VER_PLATFORM_WIN32_NT;
            return TRUE;
        };
        TForm1& w = fx.app.CreateForm<TForm1>(fx.state);
        fx.app.CreateForm<TMainForm>(fx.state);
        if (major == 5) {
            fx.state.folders.ProfileFolder = dir / "profile\\";
            MakeDir(dir / "profile\\Recent\\");
        }
        return w;
    }

    // The traces in every folder the categories empty (one held open, which
    // stays), cache entries of the three kinds and both registry lists.
    void Lay() {
        for (const CategoryRow& row : kCategories)
            for (const PlannedFolder& f : PlanOf(row.id, fx.state.site).folders) {
                const std::string folder = Narrow(f.folder);
                MakeDir(folder + "sub\\deeper\\");
                WriteFile(folder + "a.tmp", "aaaa");
                WriteFile(folder + "ro.tmp", "r", FILE_ATTRIBUTE_READONLY);
                WriteFile(folder + "sub\\deeper\\b.tmp");
                WriteFile(folder + "held.tmp");
            }
        ASSERT_TRUE(AddCookieEntry("Cookie:user@two-paths.example/"));
        ASSERT_TRUE(AddHistoryEntry("Visited: user@http://two-paths.example/"));
        ASSERT_FALSE(AddNormalEntry("http://two-paths.example/page.htm").empty());
        RegSetString(kTypedUrlsKey, "url1", "http://two-paths.example/");
        RegSetString(kRunMruKey, "a", "notepad\\1");
    }

    // What the system holds of what the categories clear.
    std::vector<std::string> Snapshot() {
        std::vector<std::string> seen;
        for (const CategoryRow& row : kCategories)
            for (const PlannedFolder& f : PlanOf(row.id, fx.state.site).folders) {
                seen.push_back("folder " + Narrow(f.folder));
                Tree(Narrow(f.folder), "", seen);
            }
        for (const std::string& name : CacheEntryNames()) seen.push_back("entry " + name);
        for (const char* key : {kTypedUrlsKey, kRunMruKey})
            for (const std::string& name : RegValueNames(key)) seen.push_back(std::string("value ") + key + name);
        std::sort(seen.begin(), seen.end());
        return seen;
    }

    // Lays the traces, holds one file of each folder open, runs clear, and
    // returns what is left.
    template <typename Clear>
    std::vector<std::string> LeftBy(Clear clear) {
        Lay();
        std::vector<HANDLE> held;
        for (const CategoryRow& row : kCategories)
            for (const PlannedFolder& f : PlanOf(row.id, fx.state.site).folders)
                held.push_back(CreateFileA((Narrow(f.folder) + "held.tmp").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                           nullptr, OPEN_EXISTING, 0, nullptr));
        const std::vector<std::string> before = Snapshot();
        clear();
        for (HANDLE h : held) CloseHandle(h);
        std::vector<std::string> after = Snapshot();
        EXPECT_NE(after, before) << "nothing was cleared";
        return after;
    }

    void Compare(TForm1& w) {
        Discard discard;
        const auto command = [&](std::vector<std::wstring> args) {
            return [&, args] { RunCommand(args, fx.state.site, SettingsKey(), discard); };
        };
        EXPECT_EQ(LeftBy([&] { w.btnClearAll.Click(); }), LeftBy(command({L"clear", L"--all"})));
        EXPECT_EQ(LeftBy([&] { w.btnTemporary.Click(); }), LeftBy(command({L"clear", L"temp"})));
        EXPECT_EQ(LeftBy([&] { w.Button2.Click(); }), LeftBy(command({L"clear", L"internet-cache"})));
    }

    ProgramFixture fx;
    TempDir dir;
    wchar_t savedTmp_[MAX_PATH] = {};
};

TEST_F(TwoPaths, OnTheXpLayout) { Compare(Create(5)); }

TEST_F(TwoPaths, OnThisSystemsOwnLayout) { Compare(Create(6)); }

}  // namespace
