#pragma once
// The sites whose cookies stay: one REG_SZ value per site ("1") under the
// settings key's "CookiesInfoKeep", named by the site in lower case. A
// cookie stays when its host is a kept site or lies below one
// ("www.example.org" by "example.org", never "badexample.org").
//
// A list that cannot be read whole - a key that will not open, a value that
// is no site or no text - is never taken for an empty one: then no cookie
// goes, and the problem says why.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace purgelet {

// The site a text names, in lower case (one leading dot dropped, as cookie
// hosts are written), or why it names none: it must be a host name of at most
// 253 characters - letters, digits, "-" and "_", in labels joined by dots -
// with no blank, no path, no scheme and no port. A single name is no site
// ("localhost" alone is), nor is a public suffix, which many sites share
// ("org", "co.uk", "github.io"): keeping one would keep all their cookies.
struct SiteCheck {
    std::string site;
    // The host name the text is written as, in lower case, also when it is no
    // site for being a single name or a public suffix; else empty.
    std::string name;
    std::string problem;  // empty when it is a site
};
SiteCheck CheckSite(std::string_view text);

// The host of a cookie as a browser stores it (".example.org"), or of a URL
// cache entry's address ("example.org/path"): lower case, no leading dot,
// nothing from the first "/" or ":" on.
std::string CookieHost(std::string_view host);
// The host of a URL cache entry by its name ("Cookie:user@example.org/"):
// what follows the first "@", as CookieHost gives it.
std::string CacheEntryHost(std::string_view name);

// Whether site keeps a cookie of host (both as CookieHost gives them).
bool SiteKeeps(std::string_view site, std::string_view host);

class KeptSites {
public:
    // The list under settingsKey (below HKEY_CURRENT_USER), read whole now.
    static KeptSites Read(const std::string& settingsKey);
    // A list that holds these sites (already checked), for tests and previews.
    static KeptSites Of(std::vector<std::string> sites);

    const std::vector<std::string>& Sites() const { return sites_; }
    // The names the list holds that are written as host names but are no
    // sites (a single name, a public suffix), as earlier versions let them be
    // stored: each makes the list unreadable until it is removed.
    const std::vector<std::string>& Refused() const { return refused_; }
    // Why the list cannot be trusted, when it cannot; then no cookie may go.
    const std::string& Problem() const { return problem_; }
    bool Readable() const { return problem_.empty(); }
    // Whether a cookie of this host stays (host as stored; see CookieHost).
    // An unreadable list keeps every cookie.
    bool Keeps(std::string_view host) const;
    // The site of the list that keeps a cookie of this host: the host
    // itself or the nearest site it lies below; empty when none does.
    std::string KeptBy(std::string_view host) const;

private:
    std::vector<std::string> sites_;  // sorted, each once
    std::vector<std::string> refused_;
    std::string problem_;
};

// The key path of the list below HKEY_CURRENT_USER.
std::string KeptSitesKey(const std::string& settingsKey);

// Adds or removes sites (each as CheckSite gives it); an empty text when
// done, else why not (the key could not be made or changed).
std::string AddKeptSites(const std::string& settingsKey, const std::vector<std::string>& sites);
std::string RemoveKeptSites(const std::string& settingsKey, const std::vector<std::string>& sites);

}  // namespace purgelet
