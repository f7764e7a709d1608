#include "framework/Application.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "base/Handles.h"
#include "base/Text.h"

namespace purgelet::ui {

namespace {
std::string ProgramTitle() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    if (auto slash = name.find_last_of("\\/"); slash != std::string::npos) name.erase(0, slash + 1);
    if (auto dot = name.find('.'); dot != std::string::npos) name.erase(dot);
    return name;
}

// The applications alive now, so that the static window procedures reach
// their maps; a program has one, a test may have several at once.
std::vector<Application*>& LiveApplications() {
    static std::vector<Application*> apps;
    return apps;
}

// A message box never gets more than about two hundred characters: a message
// may echo a stored or outside text of any length (a settings value, a
// system's message), the system's box fails on very long texts (Wine's
// crashes), and a long run without blanks can't be wrapped to fit the
// screen. A longer text keeps its beginning and its end - where a message's
// own wording after the echo lies - with " ... " between.
constexpr std::size_t kMessageHead = 120, kMessageTail = 80;
constexpr std::wstring_view kMessageCut = L" ... ";

std::string MessageExcerpt(const std::string& text) {
    constexpr std::size_t longest = kMessageHead + kMessageCut.size() + kMessageTail;
    // A character takes at least one byte in any ANSI code page.
    if (text.size() <= longest) return text;
    const std::wstring wide = Widen(text);
    if (wide.size() <= longest) return text;
    std::size_t head = kMessageHead, tail = wide.size() - kMessageTail;
    if (IS_HIGH_SURROGATE(wide[head - 1])) --head;  // never half a character
    if (IS_LOW_SURROGATE(wide[tail])) ++tail;
    const std::wstring cut = wide.substr(0, head).append(kMessageCut).append(wide, tail);
    return Narrow(cut);
}

int ScreenDpi() {
    ScreenDC dc;
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    return dpi > 0 ? dpi : 96;
}
}  // namespace

Application::Application(HINSTANCE instance, HICON icon)
    : instance_(instance ? instance : GetModuleHandleA(nullptr)), title_(ProgramTitle()), icon_(icon) {
    INITCOMMONCONTROLSEX icc{sizeof(icc),
                             ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    if (!icon_) icon_ = LoadIconA(nullptr, IDI_APPLICATION);
    dpi_ = ScreenDpi();
    hooks.messageBox = [](HWND owner, const std::string& text, const std::string& caption, UINT flags) {
        return ::MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
    };
    hooks.beep = [](UINT type) { MessageBeep(type); };
    LiveApplications().push_back(this);
}

Application::~Application() {
    DestroyAll();
    auto& live = LiveApplications();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

void Application::DestroyAll() {
    // Newest first, as an owner frees what it owns.
    while (!components_.empty()) {
        auto component = std::move(components_.back());
        components_.pop_back();
        component.reset();
    }
    DestroyForms();
}

void Application::DestroyForms() {
    // Newest first, as an owner frees what it owns.
    releasing_.clear();
    while (!owned_.empty()) {
        auto form = std::move(owned_.back().window);
        owned_.pop_back();
        form.reset();
    }
}

void Application::Minimize() {
    for (Window* f : formWindows_)
        if (f->Handle() && IsWindowVisible(f->Handle()) && !IsIconic(f->Handle())) ShowWindow(f->Handle(), SW_MINIMIZE);
}

void Application::Restore() {
    for (Window* f : formWindows_)
        if (f->Handle() && IsIconic(f->Handle())) ShowWindow(f->Handle(), SW_RESTORE);
}

void Application::DestroyForm(Form& form) {
    releasing_.erase(std::remove(releasing_.begin(), releasing_.end(), &form), releasing_.end());
    auto it = std::find_if(owned_.begin(), owned_.end(), [&](auto& p) { return p.form == &form; });
    if (it != owned_.end()) {
        auto keep = std::move(it->window);
        owned_.erase(it);
        keep.reset();
    }
}

Form* Application::FindFormByCaption(const std::string& caption) const {
    for (std::size_t i = 0; i < forms_.size(); ++i)
        if (formWindows_[i]->Caption() == caption) return forms_[i];
    return nullptr;
}

void Application::Terminate() {
    terminated_ = true;
    PostQuitMessage(0);
}

void Application::Dispatch(MSG& msg) {
    HWND top = GetAncestor(msg.hwnd, GA_ROOT);
    if (top && msg.message == WM_KEYDOWN)
        if (Window* root = FindWindowObject(top); root && root->NavigationKey(msg)) return;
    if (top && IsDialogMessageA(top, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

void Application::Run(const std::function<bool()>& done) {
    const bool outermost = !done;
    while (!terminated_ && !(done && done())) {
        if (outermost) ReleasePending();
        MSG msg;
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            terminated_ = true;
            break;
        }
        if (got < 0) break;
        Dispatch(msg);
    }
    if (outermost) ReleasePending();
}

void Application::ProcessMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            break;
        }
        Dispatch(msg);
    }
    ReleasePending();
}

void Application::RegisterWindow(HWND hwnd, Window* window) {
    if (hwnd && window) windows_[hwnd] = window;
}

void Application::UnregisterWindow(HWND hwnd) { windows_.erase(hwnd); }

Window* Application::WindowOf(HWND hwnd) const {
    if (auto it = windows_.find(hwnd); it != windows_.end()) return it->second;
    return nullptr;
}

Window* Application::FindWindowObject(HWND hwnd) {
    if (!hwnd) return nullptr;
    for (Application* app : LiveApplications())
        if (Window* w = app->WindowOf(hwnd)) return w;
    return nullptr;
}

int Application::Execute(const std::function<void()>& program) {
    const bool ran = Guard(program);
    DestroyAll();
    return ran ? 0 : 1;
}

void Application::ShowException(const std::exception& e) {
    std::string text = e.what();
    if (!text.empty() && text.back() != '.') text += '.';
    HWND owner = nullptr;
    if (!formWindows_.empty()) owner = formWindows_.front()->Handle();
    ShowMessageBox(owner, text, title_, MB_OK | MB_ICONERROR);
}

int Application::ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    return hooks.messageBox ? hooks.messageBox(owner, MessageExcerpt(text), caption, flags) : IDOK;
}

void Application::Beep(UINT type) {
    if (hooks.beep) hooks.beep(type);
}

namespace {
// The face a bold text falls back to when its own face's bold does not show.
constexpr char kBoldFace[] = "MS Sans Serif";

// How much ink a font puts on a sample line, in whole pixels.
int InkOf(HFONT font) {
    constexpr int width = 200, height = 40;
    ScreenDC screen;
    MemoryDC dc(screen);
    GdiObject bitmap(CreateCompatibleBitmap(screen, width, height));
    SelectedObject selectedBitmap(dc, bitmap);
    SelectedObject selectedFont(dc, font);
    RECT all{0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, 0, 0, "Temporary Files", 15);
    int ink = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) ink += 255 - GetRValue(GetPixel(dc, x, y));
    return ink / 255;
}
}  // namespace

HFONT Application::FontHandle(const Font& font) {
    auto key = std::make_tuple(font.name, font.height, font.bold);
    if (auto it = fonts_.find(key); it != fonts_.end()) return it->second.Get();
    LOGFONTA lf{};
    lf.lfHeight = Scale(font.height, dpi_);
    lf.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynA(lf.lfFaceName, font.name.c_str(), LF_FACESIZE);
    HFONT h = CreateFontIndirectA(&lf);
    // A face whose bold draws no heavier than its regular at this size
    // (Wine's own Tahoma does so from 13 pixels up, as at 144 pixels per
    // inch) would lose the design's bold: the same size of a face whose bold
    // shows is taken instead.
    if (font.bold && font.name != kBoldFace && InkOf(h) <= InkOf(FontHandle({font.name, font.height, false}))) {
        DeleteObject(h);
        lstrcpynA(lf.lfFaceName, kBoldFace, LF_FACESIZE);
        h = CreateFontIndirectA(&lf);
    }
    fonts_[key].Reset(h);
    return h;
}

HBRUSH Application::Brush(Color color) {
    COLORREF rgb = ColorToRGB(color);
    if (auto it = brushes_.find(rgb); it != brushes_.end()) return it->second.Get();
    HBRUSH b = CreateSolidBrush(rgb);
    brushes_[rgb].Reset(b);
    return b;
}

HFONT Application::MenuFont() {
    if (!menuFont_) {
        NONCLIENTMETRICSA metrics{};
        metrics.cbSize = sizeof(metrics);
        if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
            menuFont_.Reset(CreateFontIndirectA(&metrics.lfMenuFont));
    }
    return menuFont_ ? menuFont_.Get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void Application::RegisterForm(Form* form, Window* window) {
    forms_.push_back(form);
    formWindows_.push_back(window);
}

void Application::UnregisterForm(Form* form) {
    for (std::size_t i = forms_.size(); i-- > 0;)
        if (forms_[i] == form) {
            forms_.erase(forms_.begin() + static_cast<std::ptrdiff_t>(i));
            formWindows_.erase(formWindows_.begin() + static_cast<std::ptrdiff_t>(i));
        }
}

void Application::PostRelease(Form* form) {
    if (std::find(releasing_.begin(), releasing_.end(), form) == releasing_.end()) releasing_.push_back(form);
    // Wake the loop so the release happens as soon as it runs.
    PostMessageA(nullptr, WM_NULL, 0, 0);
}

void Application::ReleasePending() {
    while (!releasing_.empty()) {
        Form* f = releasing_.front();
        DestroyForm(*f);
    }
}

}  // namespace purgelet::ui
