#include "support/HostSwapper.h"

#include <windows.h>

#include <fstream>

namespace testing_support {

namespace {

constexpr DWORD kAnswerMs = 10000;

void Touch(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

}  // namespace

HostSwapper::HostSwapper(const std::string& race, const std::string& swapped, const std::string& target, int maxSeconds,
                         double pauseMs)
    : race_(race.back() == '\\' ? race : race + '\\') {
    for (const char* file : {"go", "hold", "held", "idle", "stop", "cycles"}) DeleteFileA((race_ + file).c_str());
    // Wine runs a host program handed to CreateProcess; the build folder is drive T:.
    std::string command = "T:\\host\\swap_folder.pl " + race_.substr(0, race_.size() - 1) + " " + swapped + " " +
                          target + " " + std::to_string(maxSeconds) + " " + std::to_string(pauseMs);
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
    if (pi.hThread) CloseHandle(pi.hThread);
    if (pi.hProcess) CloseHandle(pi.hProcess);
    ready_ = WaitFor("idle", true);
}

HostSwapper::~HostSwapper() {
    DeleteFileA((race_ + "go").c_str());
    DeleteFileA((race_ + "hold").c_str());
    Touch(race_ + "stop");
    // The script removes its idle mark as it ends, after putting the folder back.
    if (ready_) WaitFor("idle", false);
}

bool HostSwapper::Go() {
    Touch(race_ + "go");
    return WaitFor("idle", false);
}

bool HostSwapper::Hold() {
    Touch(race_ + "hold");
    return WaitFor("held", true);
}

long HostSwapper::Pause() {
    DeleteFileA((race_ + "go").c_str());
    DeleteFileA((race_ + "hold").c_str());
    if (!WaitFor("idle", true)) return -1;
    std::ifstream in(race_ + "cycles");
    long cycles = -1;
    in >> cycles;
    return cycles;
}

bool HostSwapper::WaitFor(const std::string& file, bool present) const {
    const std::string path = race_ + file;
    for (DWORD waited = 0; waited < kAnswerMs; waited += 2) {
        if ((GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) == present) return true;
        Sleep(2);
    }
    return false;
}

}  // namespace testing_support
