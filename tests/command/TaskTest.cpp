// PurgeletTask, the command's windowless twin: a GUI-subsystem program (so no
// console opens for it) that shows no window, writes where its caller points
// its output, and without arguments runs the stored unattended clearing.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>

#include "cleaner/RegistryValues.h"
#include "command/Command.h"
#include "core/Texts.h"
#include "support/TestSupport.h"

using namespace purgelet;
namespace ts = testing_support;

namespace {

const std::string kTemp = "C:\\purgelet-command\\task-temp\\";
const std::string kOut = "C:\\purgelet-command\\task-out.json";

WORD Subsystem(const std::string& exe) {
    std::ifstream in(exe, std::ios::binary);
    IMAGE_DOS_HEADER dos{};
    IMAGE_NT_HEADERS64 nt{};
    in.read(reinterpret_cast<char*>(&dos), sizeof(dos));
    in.seekg(dos.e_lfanew);
    in.read(reinterpret_cast<char*>(&nt), sizeof(nt));
    return in && nt.Signature == IMAGE_NT_SIGNATURE ? nt.OptionalHeader.Subsystem : 0;
}

// Top-level windows of the process, hidden ones too.
int WindowsOf(DWORD pid) {
    std::pair<DWORD, int> seen{pid, 0};
    EnumWindows(
        [](HWND window, LPARAM param) {
            auto* s = reinterpret_cast<std::pair<DWORD, int>*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s->first) ++s->second;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&seen));
    return seen.second;
}

// Runs the program with its output in kOut; returns its exit code.
int RunRedirected(std::string line, std::string& out) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE file = CreateFileA(kOut.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = file;
    PROCESS_INFORMATION pi{};
    const bool started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(file);
    if (!started) return -1;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::ifstream in(kOut, std::ios::binary);
    out.assign(std::istreambuf_iterator<char>(in), {});
    return static_cast<int>(code);
}

}  // namespace

TEST(TaskProgram, RunsTheStoredClearingWithoutAConsoleOrAWindow) {
    EXPECT_EQ(Subsystem("T:\\PurgeletTask.exe"), IMAGE_SUBSYSTEM_WINDOWS_GUI);
    EXPECT_EQ(Subsystem("T:\\PurgeletCmd.exe"), IMAGE_SUBSYSTEM_WINDOWS_CUI);

    // Custom mode takes the Run box's words and the temporary files; the
    // typed addresses are ticked for another mode only.
    ts::RegDeleteTree(ts::SettingsKey());
    ts::RegSetString(ts::SettingsKey(), texts::ValCustomMode.Text(), "1");
    ts::RegSetString(ts::SettingsKey(), texts::ValCustomTemporary.Text(), "1");
    ts::RegSetString(ts::SettingsKey(), texts::ValCustomTypedWordsInRun.Text(), "1");
    ts::RegSetString(ts::SettingsKey(), texts::ValClearTypedURLs.Text(), "1");
    ts::RegSetString(kRunMruKey, "a", "notepad\\1");
    ts::RegSetString(kRunMruKey, "MRUList", "a");
    ts::RegSetString(kTypedUrlsKey, "url1", "http://task.example/");
    ts::RemoveTree(kTemp);
    ts::MakeDir(kTemp + "sub\\");
    ts::WriteFile(kTemp + "sub\\a.tmp");
    ts::WriteFile(kTemp + "held.tmp");
    SetEnvironmentVariableA("TMP", kTemp.c_str());

    // With arguments it runs those, and writes to the handles it is given.
    std::string out;
    EXPECT_EQ(RunRedirected("T:\\PurgeletTask.exe preview --chosen --json", out), kExitDone);
    EXPECT_NE(out.find("\"run-history\""), std::string::npos) << out;
    EXPECT_NE(out.find("\"temp\""), std::string::npos) << out;
    EXPECT_EQ(out.find("\"typed-urls\""), std::string::npos) << out;

    // Bare, with no handles, it clears what is chosen and never shows a
    // window; a file in use makes its exit code 1, the command's.
    HANDLE held =
        CreateFileA((kTemp + "held.tmp").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ts::StartedProgram task("T:\\PurgeletTask.exe");
    ASSERT_TRUE(task);
    int windows = 0;
    while (WaitForSingleObject(task.Handle(), 5) == WAIT_TIMEOUT) windows += WindowsOf(task.Id());
    DWORD code = 0;
    GetExitCodeProcess(task.Handle(), &code);
    CloseHandle(held);
    SetEnvironmentVariableA("TMP", nullptr);
    EXPECT_EQ(windows, 0);
    EXPECT_EQ(code, static_cast<DWORD>(kExitKept));
    EXPECT_FALSE(ts::Exists(kTemp + "sub"));
    EXPECT_TRUE(ts::RegValueNames(kRunMruKey).empty());
    EXPECT_EQ(ts::RegValueNames(kTypedUrlsKey), std::vector<std::string>{"url1"});
    ts::RegDeleteTree(ts::SettingsKey());
    ts::RegDeleteTree(kTypedUrlsKey);
    ts::RemoveTree(kTemp);
}
