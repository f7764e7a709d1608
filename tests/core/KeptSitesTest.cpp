// What a site is, and which cookie hosts a kept site keeps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/KeptSites.h"

using namespace purgelet;

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
