#pragma once
// The named mutex by which a running copy of the program is known.
#include <windows.h>

#include <string>

#include "base/Handles.h"

namespace purgelet {

// Holds the program's named mutex from its first claim until it is released
// or the holder goes; while it is held, a claim by another copy finds it.
class InstanceMutex {
public:
    // Creates the named mutex, or opens it where it exists; true when it
    // existed already (another copy holds it, or an earlier claim). The
    // handle of the first claim that got one is kept.
    bool Claim(const std::string& name);
    explicit operator bool() const { return static_cast<bool>(handle_); }
    HANDLE Get() const { return handle_.Get(); }
    void Release() { handle_.Reset(); }

private:
    KernelHandle handle_;
};

}  // namespace purgelet
