#include "support/HostSwapper.h"

#include <windows.h>

#include <fstream>

#include "support/TestSupport.h"

namespace testing_support {

namespace {

void Touch(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

}  // namespace

HostSwapper::HostSwapper(const std::string& race, const std::string& swapped, const std::string& target, int maxSeconds,
                         double pauseMs)
    : race_(race.back() == '\\' ? race : race + '\\') {
    for (const char* file : {"go", "hold", "held", "idle", "stop", "cycles"}) DeleteFileA((race_ + file).c_str());
    ready_ = StartHostScript("swap_folder.pl", race_.substr(0, race_.size() - 1) + " " + swapped + " " + target + " " +
                                                   std::to_string(maxSeconds) + " " + std::to_string(pauseMs)) &&
             WaitForFile(race_ + "idle");
}

HostSwapper::~HostSwapper() {
    DeleteFileA((race_ + "go").c_str());
    DeleteFileA((race_ + "hold").c_str());
    Touch(race_ + "stop");
    // The script removes its idle mark as it ends, after putting the folder back.
    if (ready_) WaitForFile(race_ + "idle", false);
}

bool HostSwapper::Go() {
    Touch(race_ + "go");
    return WaitForFile(race_ + "idle", false);
}

bool HostSwapper::Hold() {
    Touch(race_ + "hold");
    return WaitForFile(race_ + "held");
}

long HostSwapper::Pause() {
    DeleteFileA((race_ + "go").c_str());
    DeleteFileA((race_ + "hold").c_str());
    if (!WaitForFile(race_ + "idle")) return -1;
    std::ifstream in(race_ + "cycles");
    long cycles = -1;
    in >> cycles;
    return cycles;
}

}  // namespace testing_support
