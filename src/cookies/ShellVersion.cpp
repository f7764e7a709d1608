#include "cookies/ShellVersion.h"

#include <windows.h>
#include <shlwapi.h>

#include "base/Handles.h"

namespace purgelet {

std::uint32_t ReadShlwapiMajorVersion() {
    LibraryHandle library(LoadLibraryA("shlwapi.dll"));
    if (!library) return 0;
    std::uint32_t version = 0;
    if (FARPROC proc = GetProcAddress(library, "DllGetVersion")) {
        auto dllGetVersion = reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void (*)()>(proc));
        DLLVERSIONINFO info{};
        info.cbSize = 20;
        if (dllGetVersion(&info) == S_OK) version = info.dwMajorVersion;
    }
    return version;
}

}  // namespace purgelet
