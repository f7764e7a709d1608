#pragma once
// The program's fixed texts that name something: its name, the captions its
// windows are known by, and the names of the values it stores. Most are
// stored scrambled, with their variant and their length; the lengths are part
// of the program's stored formats and messages, and the build stops if a text
// does not fit.
#include "core/Scramble.h"

namespace purgelet::texts {

// The program's name and version: the main window's caption, the name of its
// Run key entry and the tray icon's tip.
inline constexpr char ProgramName[] = "Ovk Purgelet v2.0.3";
// The captions the other windows carry once made; the tray window keeps its
// caption for its whole life.
inline constexpr char TrayWindowCaption[] = "Form2";
inline constexpr char CookieManagerCaption[] = "Ovk Purgelet v2.0.3...Information";

// Values in the settings key stored under plain names.
inline constexpr char ValRunOnStartup[] = "RunOnStartup";
inline constexpr char ValCheckInTray[] = "Check In Tray";
inline constexpr char ValMainTop[] = "MainTop";
inline constexpr char ValMainLeft[] = "MainLeft";
// The cookie list's column widths: the prefix and the column's number.
inline constexpr char ValColumnWidthPrefix[] = "ColWidth";
// The browsers: whether the mode runs and the unattended clearing take them,
// and each profile's box ("Browser:" and the profile's key, "0" when off).
inline constexpr char ValIncludeBrowsers[] = "IncludeBrowsers";
inline constexpr char ValBrowserProfilePrefix[] = "Browser:";
// The Browsers page's item boxes: the cache, cookies and history are on
// unless stored as "0"; form data and open tabs only when stored as "1".
inline constexpr char ValBrowserCache[] = "BrowserCache";
inline constexpr char ValBrowserCookies[] = "BrowserCookies";
inline constexpr char ValBrowserHistory[] = "BrowserHistory";
inline constexpr char ValBrowserForms[] = "BrowserForms";
inline constexpr char ValBrowserSessions[] = "BrowserSessions";
// The key below the settings key that keeps the cookie list's "Keep" marks.
inline constexpr char CookiesKeepKeyName[] = "\\CookiesInfoKeep";

// Start-up (variant 2).
inline constexpr auto MutexName = Scramble<2, 31>("OvkPurgelet.SingleInstance.Lock");
inline constexpr auto SecondInstanceTail = Scramble<2, 19>("is already running.");
inline constexpr auto NoWindowsFolder = Scramble<2, 54>("Cannot find the Windows folder. Settings are not used.");
inline constexpr auto HelpFileName = Scramble<2, 15>("PurgeletHlp.htm");
inline constexpr auto HelpMissing =
    Scramble<2, 66>("Cannot find the help file PurgeletHlp.htm in the program's folder.");
inline constexpr auto HelpNoAssociation =
    Scramble<2, 96>("No program is associated with .htm files. Please install a web browser to read Purgelet's guide.");

// Settings key path below HKEY_CURRENT_USER (variant 4).
inline constexpr auto SettingsKey = Scramble<4, 35>("Software\\Ovk Software\\Purgelet\\v2.0");

// Folder names of the cleaning engine (variant 4).
inline constexpr auto Win9xHistoryName = Scramble<4, 8>("History\\");
inline constexpr auto Win9xCookiesName = Scramble<4, 8>("Cookies\\");
inline constexpr auto Win9xRecentName = Scramble<4, 7>("Recent\\");
inline constexpr auto Win9xTempInternetName = Scramble<4, 25>("Temporary Internet Files\\");
inline constexpr auto WindowsTempName = Scramble<4, 5>("Temp\\");
inline constexpr auto NtCookiesName = Scramble<4, 8>("Cookies\\");
inline constexpr auto NtRecentName = Scramble<4, 7>("Recent\\");
inline constexpr auto Nt5HistoryName = Scramble<4, 23>("Local Settings\\History\\");
inline constexpr auto Nt5TempName = Scramble<4, 20>("Local Settings\\Temp\\");
inline constexpr auto Nt5TempInternetName = Scramble<4, 40>("Local Settings\\Temporary Internet Files\\");
inline constexpr auto Nt4HistoryName = Scramble<4, 8>("History\\");
inline constexpr auto Nt4TempName = Scramble<4, 5>("Temp\\");
inline constexpr auto Nt4TempInternetName = Scramble<4, 25>("Temporary Internet Files\\");

// Opening lines of the activity log (variant 4).
inline constexpr auto LogFirstLine = Scramble<4, 3>("Ovk");
inline constexpr auto LogSecondLine = Scramble<4, 3>("Log");
inline constexpr auto LogDateLabel = Scramble<4, 8>("Today is");

// Option value names in the settings key.
// Selected Items boxes of the Main page (variant 3).
inline constexpr auto ValClearHistory = Scramble<3, 18>("Sel_HistoryOfSites");
inline constexpr auto ValTempInternet = Scramble<3, 17>("Sel_TempInetFiles");
inline constexpr auto ValClearCookies = Scramble<3, 12>("Sel_IECookie");
inline constexpr auto ValClearTypedURLs = Scramble<3, 14>("Sel_IETypedURL");
inline constexpr auto ValRecentLinks = Scramble<3, 18>("Sel_RecentDocLinks");
inline constexpr auto ValClearTemp = Scramble<3, 14>("Sel_TempFolder");
inline constexpr auto ValClearTypedWordsInRun = Scramble<3, 20>("Sel_RunBoxTypedWords");
// Custom boxes of the Settings page (variant 2).
inline constexpr auto ValCustomHistoryLinksWeb = Scramble<2, 14>("Cus_WebHistory");
inline constexpr auto ValCustomCookies = Scramble<2, 11>("Cus_Cookies");
inline constexpr auto ValCustomTypedURLs = Scramble<2, 13>("Cus_TypedURLs");
inline constexpr auto ValCustomTempInternetFiles = Scramble<2, 13>("Cus_InetFiles");
inline constexpr auto ValCustomTemporary = Scramble<2, 13>("Cus_TempFiles");
inline constexpr auto ValCustomHistoryLinksDoc = Scramble<2, 14>("Cus_DocHistory");
inline constexpr auto ValCustomTypedWordsInRun = Scramble<2, 14>("Cus_RunBoxWord");
// Execution boxes (variant 3).
inline constexpr auto ValExecuteClearStart = Scramble<3, 14>("Exec_OnStartup");
inline constexpr auto ValExecuteClearShutDown = Scramble<3, 13>("Exec_Shutdown");
// Execution radio buttons (variant 4).
inline constexpr auto ValClearAllMode = Scramble<4, 12>("Mode_AllItem");
inline constexpr auto ValClearSelectedMode = Scramble<4, 12>("Mode_Checked");
inline constexpr auto ValClearNotSelectedMode = Scramble<4, 15>("Mode_NotChecked");
inline constexpr auto ValCustomMode = Scramble<4, 15>("Mode_CustomPick");
// Misc page (variant 4 and 3); the tray window reads the XP menu value too.
inline constexpr auto ValXPmenu = Scramble<4, 6>("XPMenu");
inline constexpr auto ValAutoColResize = Scramble<3, 18>("AutoSizeCookieCols");

// About box (variant 2).
inline constexpr auto AboutWare = Scramble<2, 17>("Privacy freeware.");
inline constexpr auto AboutNotice = Scramble<2, 55>("Free to use and share. Use it at your own risk, please.");
inline constexpr auto AboutNameVersion = Scramble<2, 26>("Ovk Purgelet Version 2.0.3");
inline constexpr auto AboutMaker = Scramble<2, 33>("(c) 2003-2005 Ovk Software Studio");
inline constexpr auto AboutMail = Scramble<2, 19>("support@ovksoft.com");
inline constexpr auto AboutHomePage = Scramble<2, 23>("http://www.ovksoft.com/");

}  // namespace purgelet::texts
