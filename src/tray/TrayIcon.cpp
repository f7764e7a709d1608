#include "tray/TrayIcon.h"

#include <algorithm>
#include <utility>

#include "base/Errors.h"
#include "core/Texts.h"

namespace purgelet {

namespace {
void CopyTip(NOTIFYICONDATAA& data, const std::string& text) {
    const std::size_t n = std::min(text.size(), kTipLength);
    std::fill(std::begin(data.szTip), std::end(data.szTip), '\0');
    std::copy_n(text.begin(), n, data.szTip);
}
}  // namespace

TTrayIcon::TTrayIcon(ui::Application& owner, ProgramState& state, HICON image, std::function<void(POINT at)> showMenu)
    : app_(owner), state_(state), showMenu_(std::move(showMenu)) {
    icon_.Assign(app_.Icon());
    IconData = NOTIFYICONDATAA{};
    // The first layout of the record, as every shell version understands it.
    IconData.cbSize = NOTIFYICONDATAA_V1_SIZE;
    messageWindow_ = std::make_unique<ui::UtilityWindow>(app_, [this](ui::Message& m) { IconWndProc(m); });
    IconData.hWnd = messageWindow_->Handle();
    IconData.uID = 0;
    IconData.hIcon = image ? image : icon_.Handle();
    CopyTip(IconData, texts::ProgramName);
    IconData.uFlags = NIF_MESSAGE | NIF_ICON;
    if (!app_.Title().empty()) IconData.uFlags |= NIF_TIP;
    IconData.uCallbackMessage = kTrayCallbackMessage;
    taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
    if (!state_.platform.notifyIcon(NIM_ADD, &IconData)) throw OutOfResources("Cannot create shell notification icon");
}

TTrayIcon::~TTrayIcon() {
    if (state_.TrayIcon == this) state_.TrayIcon = nullptr;
    state_.platform.notifyIcon(NIM_DELETE, &IconData);
    // The hidden window goes with the component, so no message reaches it afterwards.
    messageWindow_.reset();
}

void TTrayIcon::ChangeHint(const std::string& text) {
    if (text == hint_) return;
    hint_ = text;
    CopyTip(IconData, text);
    if (!text.empty())
        IconData.uFlags |= NIF_TIP;
    else
        IconData.uFlags &= ~NIF_TIP;
    UpdateIcon();
}

void TTrayIcon::ChangeIcon(const ui::Icon& icon) {
    if (&icon == &icon_) return;
    icon_.Assign(icon.Handle());
    IconData.hIcon = icon.Handle();
    UpdateIcon();
}

void TTrayIcon::PollCursor() { CursorPos(); }

void TTrayIcon::DoClick() {
    if (OnClick) OnClick(*this);
}

void TTrayIcon::DoDblClick() {
    if (OnDblClick) OnDblClick(*this);
}

void TTrayIcon::RemoveIcon() {
    removed_ = true;
    state_.platform.notifyIcon(NIM_DELETE, &IconData);
}

void TTrayIcon::DoMouseMove(ui::ShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(*this, shift, x, y);
}

void TTrayIcon::DoMouseDown(ui::MouseButton button, ui::ShiftState, int, int) {
    if (button != ui::MouseButton::Right || !showMenu_) return;
    showMenu_(CursorPos());
}

void TTrayIcon::IconWndProc(ui::Message& message) {
    switch (message.msg) {
        case WM_QUERYENDSESSION:
            message.result = 1;
            return;
        case WM_ENDSESSION:
            if (message.wParam != 0) RemoveIcon();
            return;
        case kTrayCallbackMessage: {
            const POINT at = CursorPos();
            switch (static_cast<UINT>(message.lParam)) {
                case WM_MOUSEMOVE:
                    DoMouseMove(KeyShiftState(), at.x, at.y);
                    break;
                case WM_RBUTTONDOWN:
                    DoMouseDown(ui::MouseButton::Right, KeyShiftState() | ui::ssRight, at.x, at.y);
                    break;
                default:
                    break;
            }
            return;
        }
        default:
            // The notification area was made anew (the shell restarted): an
            // icon that is not added again would be gone for good.
            if (message.msg == taskbarCreated_ && taskbarCreated_ != 0 && !removed_)
                state_.platform.notifyIcon(NIM_ADD, &IconData);
            return;
    }
}

void TTrayIcon::UpdateIcon() { state_.platform.notifyIcon(NIM_MODIFY, &IconData); }

void TTrayIcon::DoMinimize() {
    app_.Minimize();
    if (OnMinimize) OnMinimize(*this);
}

void TTrayIcon::DoRestore() {
    app_.Restore();
    if (OnRestore) OnRestore(*this);
}

ui::ShiftState TTrayIcon::KeyShiftState() const {
    ui::ShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= ui::ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s |= ui::ssCtrl;
    if (GetKeyState(VK_MENU) < 0) s |= ui::ssAlt;
    return s;
}

POINT TTrayIcon::CursorPos() const {
    POINT p{};
    GetCursorPos(&p);
    return p;
}

}  // namespace purgelet
