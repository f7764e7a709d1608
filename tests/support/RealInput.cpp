#include "support/RealInput.h"

#include "support/TestSupport.h"

namespace testing_support {

namespace {
// One request file in the script's queue (drive T: is the build folder); the
// answer holds xdotool's exit status.
bool Request(const std::string& request) {
    static int counter = 0;
    const std::string base = "T:\\input-requests\\" + std::to_string(counter++);
    WriteFile(base + ".tmp", request + "\n");
    if (!MoveFileA((base + ".tmp").c_str(), (base + ".req").c_str())) return false;
    for (int i = 0; i < 200; ++i) {
        HANDLE h = CreateFileA((base + ".done").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            char status[8] = {};
            DWORD got = 0;
            ReadFile(h, status, sizeof(status) - 1, &got, nullptr);
            CloseHandle(h);
            DeleteFileA((base + ".done").c_str());
            return status[0] == '0';
        }
        Sleep(50);
    }
    return false;
}
std::string At(POINT p) { return std::to_string(p.x) + " " + std::to_string(p.y); }
}  // namespace

bool RealClick(POINT at, int button) { return Request("click " + At(at) + " " + std::to_string(button)); }

bool RealMove(POINT to) { return Request("move " + At(to)); }

bool RealKey(const std::string& keys) { return Request("key " + keys); }

bool RealShot(const std::string& name, const RECT& part) {
    return Request("shot " + name + " " + At({part.left, part.top}) + " " + std::to_string(part.right - part.left) +
                   " " + std::to_string(part.bottom - part.top));
}

}  // namespace testing_support
