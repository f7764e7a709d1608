#pragma once
// Helpers of the About box tests: the logo as the host's JPEG library decoded
// it, a prefix without a mail program, and the boxes open in this program.
#include <windows.h>

#include <cstdio>
#include <string>

#include "about/AboutBox.h"
#include "about/JpegPicture.h"
#include "support/Input.h"

namespace about_tests {

inline std::string BesideTests(const std::string& name) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p = path;
    return p.substr(0, p.find_last_of('\\') + 1) + name;
}

// logo-host.ppm, written at build time by the host's JPEG library.
inline purgelet::RgbPicture HostDecodedLogo() {
    purgelet::RgbPicture picture;
    FILE* f = std::fopen(BesideTests("logo-host.ppm").c_str(), "rb");
    if (!f) return picture;
    int maxValue = 0;
    if (std::fscanf(f, "P6 %d %d %d", &picture.width, &picture.height, &maxValue) == 3 && maxValue == 255) {
        std::fgetc(f);
        picture.rgb.resize(static_cast<std::size_t>(picture.width) * picture.height * 3);
        if (std::fread(picture.rgb.data(), 1, picture.rgb.size(), f) != picture.rgb.size()) picture.rgb.clear();
    }
    std::fclose(f);
    return picture;
}

// Takes the "mailto:" association out of the test prefix while it lives, so
// that no mail program is registered, and puts it back afterwards.
class NoMailProgram {
public:
    NoMailProgram() {
        HKEY classes = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kClasses, 0, KEY_ALL_ACCESS, &classes) != ERROR_SUCCESS) return;
        HKEY backup = nullptr;
        RegDeleteTreeA(HKEY_CURRENT_USER, kBackup);
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kBackup, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &backup, nullptr) ==
            ERROR_SUCCESS) {
            saved_ = RegCopyTreeA(classes, "mailto", backup) == ERROR_SUCCESS;
            RegCloseKey(backup);
        }
        if (saved_) RegDeleteTreeA(classes, "mailto"), RegDeleteKeyA(classes, "mailto");
        RegCloseKey(classes);
    }
    ~NoMailProgram() {
        if (!saved_) return;
        HKEY target = nullptr, backup = nullptr;
        const std::string key = std::string(kClasses) + "\\mailto";
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target,
                            nullptr) == ERROR_SUCCESS &&
            RegOpenKeyExA(HKEY_CURRENT_USER, kBackup, 0, KEY_ALL_ACCESS, &backup) == ERROR_SUCCESS)
            RegCopyTreeA(backup, nullptr, target);
        if (target) RegCloseKey(target);
        if (backup) RegCloseKey(backup);
        RegDeleteTreeA(HKEY_CURRENT_USER, kBackup);
        RegDeleteKeyA(HKEY_CURRENT_USER, kBackup);
    }
    // True when no "mailto:" association is left.
    static bool Gone() {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "mailto\\shell\\open\\command", 0, KEY_READ, &key) != ERROR_SUCCESS)
            return true;
        RegCloseKey(key);
        return false;
    }

private:
    static constexpr char kClasses[] = "Software\\Classes";
    static constexpr char kBackup[] = "Software\\PurgeletTests\\mailto";
    bool saved_ = false;
};

inline int OpenAboutBoxes(purgelet::ui::Application& app) {
    int n = 0;
    for (purgelet::ui::Form* f : app.Forms()) n += dynamic_cast<purgelet::TAboutBox*>(f) != nullptr;
    return n;
}

// Esc on every open box, for its modal loop to take.
inline void CloseAboutBoxes(purgelet::ui::Application& app) {
    for (purgelet::ui::Form* f : app.Forms())
        if (auto* box = dynamic_cast<purgelet::TAboutBox*>(f))
            testing_support::PostKeys(box->OKButton.Handle(), {VK_ESCAPE});
}

}  // namespace about_tests
