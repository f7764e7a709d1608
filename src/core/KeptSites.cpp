#include "core/KeptSites.h"

#include <windows.h>

#include <algorithm>

#include "base/Errors.h"
#include "base/Handles.h"
#include "base/Registry.h"
#include "base/Text.h"
#include "core/PublicSuffix.h"
#include "core/Texts.h"

namespace purgelet {

namespace {

constexpr std::size_t kMaxSiteLength = 253;
constexpr std::size_t kMaxLabelLength = 63;

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsSiteCharacter(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_'; }

// The system's words for an error code, after its number.
std::string ErrorText(LONG code) {
    const std::string text = "error " + std::to_string(code);
    std::string words = SystemMessage(static_cast<unsigned long>(code));
    if (!words.empty() && words.back() == '.') words.pop_back();
    return words.empty() ? text : text + ": " + words;
}

std::string Where(const std::string& settingsKey) { return "HKEY_CURRENT_USER\\" + KeptSitesKey(settingsKey); }

}  // namespace

SiteCheck CheckSite(std::string_view text) {
    SiteCheck check;
    const auto bad = [&check](std::string why) {
        check.problem = std::move(why);
        check.site.clear();
        return check;
    };
    if (text.empty()) return bad("it is empty");
    if (!text.empty() && text.front() == '.') text.remove_prefix(1);
    if (text.size() > kMaxSiteLength) return bad("it is longer than 253 characters");
    check.site.reserve(text.size());
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') return bad("it holds a blank");
        if (c == '/' || c == '\\') return bad("it holds a path; give the site alone, as example.org");
        if (c == ':') return bad("it holds a scheme or a port; give the site alone, as example.org");
        c = LowerAscii(c);
        if (c != '.' && !IsSiteCharacter(c)) return bad("it holds a character a site name cannot hold");
        check.site += c;
    }
    std::size_t label = 0;
    for (std::size_t i = 0; i <= check.site.size(); ++i) {
        if (i < check.site.size() && check.site[i] != '.') {
            if (++label > kMaxLabelLength) return bad("a part of it between dots is longer than 63 characters");
            continue;
        }
        if (label == 0) return bad("it has an empty part between dots");
        label = 0;
    }
    check.name = check.site;
    if (check.site == "localhost") return check;
    if (IsPublicSuffix(check.site)) return bad("it is a public suffix, shared by many sites");
    if (check.site.find('.') == std::string::npos) return bad("it is a single name");
    return check;
}

std::string CookieHost(std::string_view host) {
    if (!host.empty() && host.front() == '.') host.remove_prefix(1);
    host = host.substr(0, std::min(host.find('/'), host.find(':')));
    std::string lower(host);
    for (char& c : lower) c = LowerAscii(c);
    return lower;
}

std::string CacheEntryHost(std::string_view name) {
    const std::size_t at = name.find('@');
    return CookieHost(at == std::string_view::npos ? name : name.substr(at + 1));
}

bool SiteKeeps(std::string_view site, std::string_view host) {
    if (site.empty() || host.size() < site.size()) return false;
    if (host.size() == site.size()) return host == site;
    return host.ends_with(site) && host[host.size() - site.size() - 1] == '.';
}

std::string KeptSitesKey(const std::string& settingsKey) { return settingsKey + texts::CookiesKeepKeyName; }

KeptSites KeptSites::Of(std::vector<std::string> sites) {
    KeptSites kept;
    std::sort(sites.begin(), sites.end());
    sites.erase(std::unique(sites.begin(), sites.end()), sites.end());
    kept.sites_ = std::move(sites);
    return kept;
}

KeptSites KeptSites::Read(const std::string& settingsKey) {
    KeptSites kept;
    RegKey key;
    const LONG opened =
        RegOpenKeyExA(HKEY_CURRENT_USER, KeptSitesKey(settingsKey).c_str(), 0, KEY_QUERY_VALUE, key.Receive());
    if (opened == ERROR_FILE_NOT_FOUND) return kept;  // no site is kept
    if (opened != ERROR_SUCCESS) {
        kept.problem_ =
            "The list of kept sites in " + Where(settingsKey) + " cannot be read (" + ErrorText(opened) + ")";
        return kept;
    }
    std::vector<std::string> sites;
    DWORD longest = 0;
    LONG rc = RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest,
                               nullptr, nullptr, nullptr);
    std::vector<wchar_t> name(longest + 1);
    for (DWORD index = 0; rc == ERROR_SUCCESS; ++index) {
        DWORD length = static_cast<DWORD>(name.size()), type = REG_NONE;
        rc = RegEnumValueW(key.Get(), index, name.data(), &length, nullptr, &type, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) {
            KeptSites read = Of(std::move(sites));
            read.refused_ = std::move(kept.refused_);
            read.problem_ = std::move(kept.problem_);
            return read;
        }
        if (rc != ERROR_SUCCESS) break;
        const std::string shown = Utf8(std::wstring_view(name.data(), length));
        if (type != REG_SZ) {
            kept.problem_ = "The kept site '" + shown + "' in " + Where(settingsKey) + " is stored as " +
                            RegTypeName(type) + "; it must be a text value (REG_SZ)";
            return kept;
        }
        SiteCheck check = CheckSite(shown);
        if (check.name.empty()) {
            kept.problem_ = "'" + shown + "' in " + Where(settingsKey) + " is not a site: " + check.problem;
            return kept;
        }
        if (!check.problem.empty()) {
            // Read on, so that the list can be shown whole and the name taken out.
            if (kept.refused_.empty())
                kept.problem_ = "'" + shown + "' in " + Where(settingsKey) + " is not a site: " + check.problem +
                                "; remove it from the kept sites";
            kept.refused_.push_back(std::move(check.name));
            continue;
        }
        sites.push_back(std::move(check.site));
    }
    kept.problem_ = "The list of kept sites in " + Where(settingsKey) + " cannot be read (" + ErrorText(rc) + ")";
    return kept;
}

bool KeptSites::Keeps(std::string_view host) const { return !Readable() || !KeptBy(host).empty(); }

std::string KeptSites::KeptBy(std::string_view host) const {
    const std::string plain = CookieHost(host);
    // Every site the host lies below is a tail of it: "a.b.example.org",
    // "b.example.org", "example.org", "org".
    for (std::string_view tail = plain;;) {
        if (std::binary_search(sites_.begin(), sites_.end(), tail)) return std::string(tail);
        const std::size_t dot = tail.find('.');
        if (dot == std::string_view::npos) return {};
        tail.remove_prefix(dot + 1);
    }
}

std::string AddKeptSites(const std::string& settingsKey, const std::vector<std::string>& sites) {
    RegKey key;
    const LONG created = RegCreateKeyExA(HKEY_CURRENT_USER, KeptSitesKey(settingsKey).c_str(), 0, nullptr,
                                         REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, key.Receive(), nullptr);
    if (created != ERROR_SUCCESS)
        return "The list of kept sites in " + Where(settingsKey) + " cannot be changed (" + ErrorText(created) + ")";
    for (const std::string& site : sites) {
        static constexpr char kOn[] = "1";
        const LONG rc = RegSetValueExA(key.Get(), site.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(kOn), 2);
        if (rc != ERROR_SUCCESS) return "The site '" + site + "' could not be kept (" + ErrorText(rc) + ")";
    }
    return {};
}

std::string RemoveKeptSites(const std::string& settingsKey, const std::vector<std::string>& sites) {
    RegKey key;
    const LONG opened =
        RegOpenKeyExA(HKEY_CURRENT_USER, KeptSitesKey(settingsKey).c_str(), 0, KEY_SET_VALUE, key.Receive());
    if (opened == ERROR_FILE_NOT_FOUND) return {};  // nothing was kept
    if (opened != ERROR_SUCCESS)
        return "The list of kept sites in " + Where(settingsKey) + " cannot be changed (" + ErrorText(opened) + ")";
    for (const std::string& site : sites) {
        const LONG rc = RegDeleteValueA(key.Get(), site.c_str());
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
            return "The site '" + site + "' could not be removed from the list (" + ErrorText(rc) + ")";
    }
    return {};
}

}  // namespace purgelet
