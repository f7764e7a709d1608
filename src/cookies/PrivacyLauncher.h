#pragma once
// How the cookie manager drives Internet Explorer's Internet Options to open
// the per-site privacy dialog: the command, the windows it looks for and the
// polling that waits for them.
#include <windows.h>

#include <functional>

namespace purgelet {

namespace ui {
class Application;
}

// Internet Options, started at its Privacy page (index 2), minimised.
inline constexpr char kInternetOptionsCommand[] = "rundll32.exe shell32.dll,Control_RunDLL inetcpl.cpl,@0,2";
inline constexpr UINT kInternetOptionsShow = SW_SHOWMINIMIZED;

// The windows searched, by class and title.
inline constexpr char kDialogClass[] = "#32770";
inline constexpr char kInternetOptionsTitle[] = "Internet Properties";
inline constexpr char kPrivacyPageTitle[] = "Privacy";
inline constexpr char kButtonClass[] = "Button";
inline constexpr char kEditButtonTitle[] = "&Edit...";
inline constexpr char kPerSiteTitle[] = "Per Site Privacy Actions";
inline constexpr char kEditClass[] = "Edit";

// Polls of the launch (about 4.2 seconds) and of the watch (about 200 seconds).
inline constexpr int kLaunchPolls = 21;
inline constexpr int kWatchPolls = 1001;
inline constexpr DWORD kPollWaitMs = 200;

// The messages, their captions and boxes.
inline constexpr char kLaunchFailedCaption[] = "Crumbex";
inline constexpr char kNoInternetOptionsText[] =
    "Crumbex was unable to launch the Privacy dialog. Please launch Internet Options from Control Panel (or from "
    "IE's Tools menu), click the Privacy tab, and click the Edit... button.";
inline constexpr char kNoPrivacyPageText[] =
    "Crumbex was unable to launch the Privacy dialog. The Internet Options dialog should be visible. Please click "
    "the Privacy tab, and click the Edit... button.";
inline constexpr char kStillOpenCaption[] = "Ovk Purgelet";
inline constexpr char kStillOpenText[] = "Internet Properties not found";

// Polls for a top-level window of this class and title. A poll searches,
// counts, waits kPollWaitMs, lets the program handle its pending messages
// (so it stays responsive), then runs `afterWait`. With `whileFound` false
// the polls go on until the window is found, with it true while the window
// is found; at most `maxPolls` polls, and none after the program was told to
// end. Returns the last search's result.
HWND PollForWindow(ui::Application& app, const char* className, const char* title, bool whileFound, int maxPolls,
                   const std::function<void()>& afterWait = {});

}  // namespace purgelet
