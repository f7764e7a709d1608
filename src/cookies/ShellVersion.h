#pragma once
// The version of the shell library, which decides whether the per-site
// privacy dialog can be offered.
#include <cstdint>

namespace purgelet {

// The major version of "shlwapi.dll" (DllGetVersion, looked up at run time;
// the library is released afterwards); 0 when it cannot be read.
std::uint32_t ReadShlwapiMajorVersion();

}  // namespace purgelet
