#pragma once
// Helpers of the About box tests: the logo as the host's JPEG library decoded
// it, a prefix without a mail program, and the boxes open in this program.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "about/AboutBox.h"
#include "about/JpegPicture.h"
#include "support/Input.h"
#include "support/TestSupport.h"

namespace about_tests {

// logo-host.ppm, written at build time by the host's JPEG library, or one of
// its copies scaled by the host's ImageMagick for another density
// (logo-host-96.ppm, logo-host-144.ppm).
inline purgelet::RgbPicture HostDecodedLogo(const std::string& file = "logo-host.ppm") {
    purgelet::RgbPicture picture;
    FILE* f = std::fopen(testing_support::BesideTestProgram(file).c_str(), "rb");
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

// How the screen's pixels from `at` on differ from a picture, per colour
// channel: the mean and the largest difference.
struct Difference {
    double mean = 255;
    int largest = 255;
};
inline Difference ScreenDifference(POINT at, const purgelet::RgbPicture& picture) {
    Difference d;
    if (picture.width <= 0 || picture.rgb.empty()) return d;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP shot = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, shot);
    BitBlt(memory, 0, 0, picture.width, picture.height, screen, at.x, at.y, SRCCOPY);
    GdiFlush();
    const auto* bgra = static_cast<const std::uint8_t*>(bits);
    long total = 0;
    d.largest = 0;
    for (std::size_t i = 0; i < picture.rgb.size() / 3; ++i)
        for (int c = 0; c < 3; ++c) {
            const int diff = std::abs(int(bgra[i * 4 + 2 - c]) - int(picture.rgb[i * 3 + c]));
            total += diff;
            d.largest = std::max(d.largest, diff);
        }
    d.mean = static_cast<double>(total) / static_cast<double>(picture.rgb.size());
    SelectObject(memory, old);
    DeleteObject(shot);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return d;
}

// Takes the "mailto:" association out of the test prefix while it lives, so
// that no mail program is registered, and puts it back afterwards.
class NoMailProgram {
public:
    NoMailProgram() {
        HKEY classes = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kClasses, 0, KEY_ALL_ACCESS, &classes) != ERROR_SUCCESS) return;
        HKEY backup = nullptr;
        testing_support::RegDeleteTree(kBackup);
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kBackup.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &backup,
                            nullptr) == ERROR_SUCCESS) {
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
            RegOpenKeyExA(HKEY_CURRENT_USER, kBackup.c_str(), 0, KEY_ALL_ACCESS, &backup) == ERROR_SUCCESS)
            RegCopyTreeA(backup, nullptr, target);
        if (target) RegCloseKey(target);
        if (backup) RegCloseKey(backup);
        testing_support::RegDeleteTree(kBackup);
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
    static inline const std::string kBackup = std::string(testing_support::kTestsKey) + "\\mailto";
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
