#pragma once
// The tray icon: one icon in the notification area, its tip and image kept in
// step with its properties, the icon's mouse notifications heard through a
// hidden window of its own, a menu shown on a right-button press, and the
// icon taken away when the session ends or the component goes.
// It belongs to the application, not to the tray window.
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>

#include "core/ProgramState.h"
#include "framework/Application.h"
#include "framework/Canvas.h"
#include "framework/UtilityWindow.h"

namespace purgelet {

// The shell's notification for the icon's mouse messages.
inline constexpr UINT kTrayCallbackMessage = WM_USER + 1;
// The tip holds at most this many characters.
inline constexpr std::size_t kTipLength = 63;

class TTrayIcon : public ui::Component {
public:
    // Adds the icon showing `image`; a right-button press on it calls
    // `showMenu` with the cursor's position. Raises "Cannot create shell
    // notification icon" when the shell refuses the icon.
    TTrayIcon(ui::Application& owner, ProgramState& state, HICON image, std::function<void(POINT at)> showMenu);
    // Takes the icon away.
    ~TTrayIcon() override;

    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& text) { ChangeHint(text); }
    const ui::Icon& Icon() const { return icon_; }
    void SetIcon(const ui::Icon& icon) { ChangeIcon(icon); }

    std::function<void(TTrayIcon& sender)> OnClick;
    std::function<void(TTrayIcon& sender)> OnDblClick;
    std::function<void(TTrayIcon& sender)> OnMinimize;
    std::function<void(TTrayIcon& sender, ui::ShiftState shift, int x, int y)> OnMouseMove;
    std::function<void(TTrayIcon& sender, ui::MouseButton button, ui::ShiftState shift, int x, int y)> OnMouseDown;
    std::function<void(TTrayIcon& sender, ui::MouseButton button, ui::ShiftState shift, int x, int y)> OnMouseUp;
    std::function<void(TTrayIcon& sender)> OnRestore;

    virtual void ChangeHint(const std::string& text);
    virtual void ChangeIcon(const ui::Icon& icon);
    // Reads the cursor position; nothing else.
    virtual void PollCursor();
    virtual void DoClick();
    virtual void DoDblClick();
    // Takes the icon out of the notification area.
    virtual void RemoveIcon();
    virtual void DoMouseMove(ui::ShiftState shift, int x, int y);
    // A right-button press shows the menu at the cursor.
    virtual void DoMouseDown(ui::MouseButton button, ui::ShiftState shift, int x, int y);
    // The hidden window's procedure.
    virtual void IconWndProc(ui::Message& message);
    virtual void UpdateIcon();
    virtual void DoMinimize();
    virtual void DoRestore();

    // The record handed to the shell, and the window the shell notifies.
    const NOTIFYICONDATAA& Data() const { return IconData; }
    HWND MessageWindowHandle() const { return messageWindow_ ? messageWindow_->Handle() : nullptr; }

protected:
    NOTIFYICONDATAA IconData{};

private:
    ui::ShiftState KeyShiftState() const;
    POINT CursorPos() const;

    ui::Application& app_;
    ProgramState& state_;
    std::function<void(POINT at)> showMenu_;
    ui::Icon icon_;
    std::string hint_;
    std::unique_ptr<ui::UtilityWindow> messageWindow_;
    // The shell's broadcast when the notification area is made anew.
    UINT taskbarCreated_ = 0;
    bool removed_ = false;
};

}  // namespace purgelet
