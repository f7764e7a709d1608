#include "base/InstanceMutex.h"

#include <utility>

namespace purgelet {

bool InstanceMutex::Claim(const std::string& name) {
    HANDLE opened = CreateMutexA(nullptr, TRUE, name.c_str());
    const DWORD error = GetLastError();
    KernelHandle mutex(opened);
    const bool existed = mutex && error == ERROR_ALREADY_EXISTS;
    if (mutex && !handle_) handle_ = std::move(mutex);
    return existed;
}

}  // namespace purgelet
