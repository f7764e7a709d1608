#pragma once
// The lines the clearing writes to the activity log.

namespace purgelet {

namespace logline {
inline constexpr char HistoryOfWebSites[] = "Executed clearing of user's history links of web sites";
inline constexpr char TempInternetNoWininet[] =
    "Failing to IE temp internet files. Necessary file \"wininet.dll\" not found.";
inline constexpr char UserTempInternet[] = "Executed clearing of user's temporary internet files";
inline constexpr char TempInternet[] = "Executed clearing of temporary internet files";
inline constexpr char CookiesNoWininet[] = "Failing to clear IE cookies. Necessary file \"wininet.dll\" not found.";
inline constexpr char UserCookies[] = "Executed clearing of user's cookies";
inline constexpr char NtCookies[] = "Executed clearing of Cookies";
inline constexpr char TypedUrlsFailed[] = "Failing to remove Typed URLs";
inline constexpr char TypedUrls[] = "Executed clearing of typed URLs";
inline constexpr char RunWordsFailed[] = "Failing to remove typed words on Run";
inline constexpr char RunWords[] = "Executed clearing of typed words on Run";
inline constexpr char WindowsTemp9x[] = "Executed clearing of Windows temp";
inline constexpr char UserTempNt[] = "Executed clearing of user's Temp";
inline constexpr char WindowsTempNt[] = "Executed clearing of Windows Temp";
inline constexpr char Recent[] = "Executed clearing of history links of documents";
inline constexpr char UserRecent[] = "Executed clearing of user's history links of documents";
inline constexpr char NoProfileFolder[] = "Failing to get root directory under NT or XP system.";
inline constexpr char NtRunStopped[] = "Stop process without executing clearing.";
// Followed by why the list of kept sites cannot be trusted.
inline constexpr char NoCookieDeleted[] = "No cookie was deleted: ";
}  // namespace logline

}  // namespace purgelet
