#pragma once
// The tray window: never shown. It owns the tray menu and its XP-style
// painter, creates the tray icon, carries out the menu's commands and runs
// the clearing chosen for shutdown when the Windows session ends.
#include <string>

#include "core/ProgramState.h"
#include "framework/Canvas.h"
#include "framework/Form.h"
#include "framework/Menu.h"
#include "xpmenu/XpMenu.h"

namespace purgelet {

class TTrayIcon;

// The text Windows shows while the shutdown clearing holds the session.
inline constexpr wchar_t kShutdownBlockReason[] = L"Clearing privacy traces\u2026";

class TForm2 : public ui::Form {
public:
    TForm2(ui::Application& app, ProgramState& state);
    // Takes the icon this window made out of the notification area, if it is
    // still the current one; the tray icon itself lives on with the application.
    ~TForm2() override;

    void FormCreate();
    void Open1Click();
    void About1Click();
    void Help1Click();
    void Remove1Click();
    // Takes the icon out of the notification area (nothing without a tray icon).
    void RemoveSysTrayIcon();
    // The end of the Windows session (WM_ENDSESSION).
    void WMEndSession(WPARAM wParam, LPARAM lParam);

    // The image the tray icon shows: the window's own icon.
    HICON IconHandle() const { return trayImage_.Handle(); }

    ui::PopupMenu PopupMenu1{*this, "PopupMenu1"};

private:
    // Menu items in menu order; "  About" has no published field.
    ui::MenuItem About1{PopupMenu1, "About1", "  About"};

public:
    ui::MenuItem Help1{PopupMenu1, "Help1", "  Help"};
    ui::MenuItem N1{PopupMenu1, "N1", "-"};
    ui::MenuItem Open1{PopupMenu1, "Open1", "  Open"};
    ui::MenuItem Remove1{PopupMenu1, "Remove1", "  Remove"};
    TXpMenu XpMenu1{*this};

protected:
    void EndSession(WPARAM wParam, LPARAM lParam) override { WMEndSession(wParam, lParam); }

private:
    ProgramState& state_;
    ui::Icon trayImage_;
    TTrayIcon* trayIcon_ = nullptr;  // the tray icon this window made
};

// Runs the shutdown clearing with a shutdown block reason registered on
// `window` for as long as it runs, whether it ends normally or by an error.
void RunShutdownClearing(ProgramState& state, HWND window, const std::function<void()>& clearing);

// Lets the program state make tray windows (ProgramWindows::CreateTrayWindow),
// as the tray option and the start in the tray need.
void ConnectTrayWindow(ProgramState& state);

}  // namespace purgelet
