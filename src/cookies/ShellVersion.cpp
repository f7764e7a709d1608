#include "cookies/ShellVersion.h"

#include <windows.h>
#include <shlwapi.h>

namespace purgelet {

std::uint32_t ReadShlwapiMajorVersion() {
    HMODULE library = LoadLibraryA("shlwapi.dll");
    if (reinterpret_cast<UINT_PTR>(library) <= 32) return 0;
    std::uint32_t version = 0;
    if (FARPROC proc = GetProcAddress(library, "DllGetVersion")) {
        auto dllGetVersion = reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void (*)()>(proc));
        DLLVERSIONINFO info{};
        info.cbSize = 20;
        if (dllGetVersion(&info) == S_OK) version = info.dwMajorVersion;
    }
    FreeLibrary(library);
    return version;
}

}  // namespace purgelet
