#include "base/Text.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cwchar>
#include <cwctype>

namespace purgelet {

namespace {
// A length the conversion functions take; longer texts are cut there.
int Length(std::size_t size) { return static_cast<int>(std::min<std::size_t>(size, INT_MAX)); }

std::wstring ToWide(std::string_view text, UINT codePage) {
    if (text.empty()) return {};
    const int length = Length(text.size());
    const int n = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), n);
    return wide;
}

std::string ToBytes(std::wstring_view text, UINT codePage) {
    if (text.empty()) return {};
    const int length = Length(text.size());
    const int n = WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(codePage, 0, text.data(), length, bytes.data(), n, nullptr, nullptr);
    return bytes;
}
}  // namespace

std::wstring Widen(const std::string& text) { return ToWide(text, CP_ACP); }

std::string Narrow(const std::wstring& text) { return ToBytes(text, CP_ACP); }

std::optional<std::wstring> WidenPath(const std::string& text) {
    if (text.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

std::wstring Lower(std::wstring_view text) {
    std::wstring lower(text);
    for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(c));
    return lower;
}

std::optional<std::string> NarrowPath(std::wstring_view path) {
    if (path.empty()) return std::string();
    // UTF-8 as the ANSI code page takes neither the best-fit flag nor a
    // default character; it loses nothing but unpaired surrogates.
    const UINT codePage = GetACP();
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    const int length = Length(path.size());
    BOOL lost = FALSE;
    const int n =
        WideCharToMultiByte(codePage, flags, path.data(), length, nullptr, 0, nullptr, utf8 ? nullptr : &lost);
    if (n <= 0 || lost) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(n), '\0');
    if (WideCharToMultiByte(codePage, flags, path.data(), length, bytes.data(), n, nullptr, utf8 ? nullptr : &lost) !=
            n ||
        lost)
        return std::nullopt;
    // The system reads the bytes back as the path itself, or they name another.
    if (ToWide(bytes, codePage) != path) return std::nullopt;
    return bytes;
}

std::string Utf8(std::wstring_view text) { return ToBytes(text, CP_UTF8); }

std::wstring FromUtf8(std::string_view text) { return ToWide(text, CP_UTF8); }

std::wstring GroupedCount(std::uint64_t n) {
    std::wstring digits = std::to_wstring(n);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, L",");
    return digits;
}

std::wstring ReadableSize(std::uint64_t bytes) {
    if (bytes < 1024) return std::to_wstring(bytes) + (bytes == 1 ? L" byte" : L" bytes");
    static const wchar_t* const units[] = {L"KB", L"MB", L"GB", L"TB"};
    double value = static_cast<double>(bytes) / 1024;
    std::size_t unit = 0;
    // Rounded as shown: what rounds up to 1,024 of a unit is shown in the next.
    while (unit + 1 < std::size(units) && std::llround(value) >= 1024) {
        value /= 1024;
        ++unit;
    }
    wchar_t text[32];
    const long long tenths = std::llround(value * 10);
    if (tenths < 100)
        std::swprintf(text, std::size(text), L"%lld.%lld %ls", tenths / 10, tenths % 10, units[unit]);
    else
        std::swprintf(text, std::size(text), L"%lld %ls", std::llround(value), units[unit]);
    return text;
}

}  // namespace purgelet
