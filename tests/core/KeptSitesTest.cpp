// What a site is, and which cookie hosts a kept site keeps; a stored name
// that is no site.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/KeptSites.h"
#include "support/TestSupport.h"

using namespace purgelet;
namespace ts = testing_support;

TEST(KeptSites, ASiteIsAHostNameAlone) {
    EXPECT_EQ(CheckSite("Mail.Example.ORG").site, "mail.example.org");
    EXPECT_EQ(CheckSite(".example.org").site, "example.org");
    EXPECT_EQ(CheckSite("localhost").site, "localhost");
    const std::string longest =
        std::string(63, 'a') + "." + std::string(63, 'b') + "." + std::string(63, 'c') + "." + std::string(61, 'd');
    EXPECT_EQ(CheckSite(longest).site, longest);
    for (const std::string& bad : std::vector<std::string>{
             "", " ", "example .org", "example.org/", "C:\\x", "http://example.org", "example.org:8080", "example..org",
             "example.org.", "..", "exämple.org", longest + "e", std::string(64, 'a') + ".org"}) {
        const SiteCheck check = CheckSite(bad);
        EXPECT_FALSE(check.problem.empty()) << bad;
        EXPECT_TRUE(check.site.empty()) << bad;
    }
}

TEST(KeptSites, ASiteKeepsItselfAndWhatLiesBelowIt) {
    const KeptSites kept = KeptSites::Of({"example.org", "mail.other.net", "example.org"});
    EXPECT_EQ(kept.Sites().size(), 2u);
    for (const char* host : {"example.org", ".example.org", "WWW.Example.org", "a.b.example.org", ".mail.other.net"})
        EXPECT_TRUE(kept.Keeps(host)) << host;
    for (const char* host : {"badexample.org", "org", "example.org.evil.net", "other.net", "www.other.net", ""})
        EXPECT_FALSE(kept.Keeps(host)) << host;
    EXPECT_EQ(CacheEntryHost("Cookie:user@WWW.example.org/path/"), "www.example.org");
    EXPECT_EQ(CookieHost("example.org:443"), "example.org");
}

// A name that many sites share is refused with its reason, but still read as
// a name (so that a list holding it can be mended); a site below such a name,
// and one an exception takes out of a wildcard, are sites.
TEST(KeptSites, ANameManySitesShareIsNoSite) {
    const auto refused = [](const char* text, const char* why) {
        const SiteCheck check = CheckSite(text);
        EXPECT_TRUE(check.site.empty()) << text;
        EXPECT_NE(check.problem.find(why), std::string::npos) << text << ": " << check.problem;
        EXPECT_FALSE(check.name.empty()) << text;
    };
    for (const char* suffix : {"org", "COM", ".co.uk", "github.io", "anything.ck", "nagoya.kawasaki.jp"})
        refused(suffix, "public suffix");
    for (const char* single : {"1", "_", "intranet"}) refused(single, "single name");
    EXPECT_EQ(CheckSite("Co.UK").name, "co.uk");
    EXPECT_EQ(CheckSite("exa mple.org").name, "") << "not written as a host name at all";
    for (const char* site : {"localhost", "example.co.uk", "www.ck", "city.kawasaki.jp", "me.github.io", "a.b.ck"})
        EXPECT_EQ(CheckSite(site).site, site);
}

// A list an earlier version filled with such a name keeps every cookie, and
// says which name and why, until that name is removed.
TEST(KeptSites, AStoredNameThatIsNoSiteKeepsEveryCookieUntilRemoved) {
    const std::string settings = std::string(ts::kTestsKey) + "\\KeptSites";
    ts::RegDeleteTree(settings);
    for (const char* name : {"example.net", "co.uk", "org"}) ts::RegSetString(KeptSitesKey(settings), name, "1");
    const KeptSites stored = KeptSites::Read(settings);
    EXPECT_FALSE(stored.Readable());
    EXPECT_TRUE(stored.Keeps("www.other.com"));
    EXPECT_EQ(stored.Sites(), std::vector<std::string>{"example.net"});
    std::vector<std::string> refused = stored.Refused();
    std::sort(refused.begin(), refused.end());
    EXPECT_EQ(refused, (std::vector<std::string>{"co.uk", "org"}));
    EXPECT_NE(stored.Problem().find("public suffix"), std::string::npos) << stored.Problem();

    EXPECT_EQ(RemoveKeptSites(settings, refused), "");
    const KeptSites mended = KeptSites::Read(settings);
    EXPECT_TRUE(mended.Readable()) << mended.Problem();
    EXPECT_FALSE(mended.Keeps("www.other.com"));
    EXPECT_TRUE(mended.Keeps("www.example.net"));
    ts::RegDeleteTree(settings);
}
