#pragma once
// Text between wide characters and the bytes of a code page: the ANSI code
// page the program's own strings use, and UTF-8 for redirected output and for
// the texts the main window shows that may name any folder.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace purgelet {

// Between the ANSI code page and wide text. Narrowing replaces what the code
// page lacks; it is for showing, never for naming a file.
std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);
// A path in the ANSI code page as wide text; nothing when it can't be
// converted (a path is never named by a replacement).
std::optional<std::wstring> WidenPath(const std::string& text);
// A wide path in the ANSI code page, for libraries whose file functions take
// only ANSI names; nothing unless the bytes name exactly the same path again
// (no character is replaced or given a look-alike by best fit: "\u03a9mega"
// would become "Omega", another folder).
std::optional<std::string> NarrowPath(std::wstring_view path);

// Appends one "\" unless the text already ends in one.
inline std::string WithTrailingBackslash(std::string s) {
    if (s.empty() || s.back() != '\\') s += '\\';
    return s;
}
inline std::wstring WithTrailingBackslash(std::wstring s) {
    if (s.empty() || s.back() != L'\\') s += L'\\';
    return s;
}

// Text in lower case, letter by letter (as file names compare).
std::wstring Lower(std::wstring_view text);

// Between wide text and UTF-8.
std::string Utf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

// A size as people read it, the same in every window, line and table:
// "0 bytes", "1 byte", "900 bytes", then KB, MB, GB and TB of 1,024 each,
// with one decimal below ten ("1.5 KB", "9.9 MB") and none from ten on
// ("92 KB", "312 MB").
std::wstring ReadableSize(std::uint64_t bytes);
// A count with its thousands separated: "1,204".
std::wstring GroupedCount(std::uint64_t n);

}  // namespace purgelet
