// The enumeration of the URL cache against a stand-in cache that fails in
// the ways WinInet can.
#include <gtest/gtest.h>

#include "cleaner/iecache/UrlCacheEntries.h"
#include "support/FakeCache.h"

using namespace purgelet;
using namespace testing_support;

namespace {
FakeCache ThreeEntries() {
    FakeCache cache;
    cache.entries = {{"Cookie:u@a.com/"}, {"Cookie:u@b.com/", std::string(200, 'f')}, {"Cookie:u@c.com/"}};
    return cache;
}

std::vector<std::string> Enumerate(FakeCache& cache) {
    std::vector<std::string> names;
    EnumerateUrlCache(cache.Source(),
                      [&](const INTERNET_CACHE_ENTRY_INFOA& e) { names.push_back(e.lpszSourceUrlName); });
    return names;
}
}  // namespace

TEST(EnumerateUrlCache, OneCallPerEntryEndingOnAnyFailureOtherThanInsufficientBuffer) {
    for (DWORD code : {259ul, 87ul, 5ul, 6ul, 0ul}) {
        SCOPED_TRACE(code);
        FakeCache cache = ThreeEntries();
        cache.endCode = code;
        EXPECT_EQ(Enumerate(cache),
                  (std::vector<std::string>{"Cookie:u@a.com/", "Cookie:u@b.com/", "Cookie:u@c.com/"}));
        EXPECT_EQ(cache.nextCalls, 3);  // one read per further entry, then the end
        EXPECT_EQ(cache.closes, 1);
    }
}

TEST(EnumerateUrlCache, WithoutAFirstHandleNothingMoreIsAsked) {
    FakeCache failing = ThreeEntries();
    failing.firstFailsWith = ERROR_ACCESS_DENIED;
    EXPECT_TRUE(Enumerate(failing).empty());
    EXPECT_EQ(failing.nextCalls, 0);  // WinInet's next-entry call does not survive a null handle
    EXPECT_EQ(failing.closes, 0);
}

TEST(EnumerateUrlCache, OnlyAnEntryTooBigIsReadAgainAndIfThatFailsItIsSkipped) {
    FakeCache cache = ThreeEntries();
    cache.entries.insert(cache.entries.begin(), FakeEntry{"Cookie:u@big.com/", std::string(70000, 'f')});
    cache.entries.push_back({"Cookie:u@d.com/", std::string(90000, 'g')});
    EXPECT_EQ(Enumerate(cache), (std::vector<std::string>{"Cookie:u@big.com/", "Cookie:u@a.com/", "Cookie:u@b.com/",
                                                          "Cookie:u@c.com/", "Cookie:u@d.com/"}));
    EXPECT_EQ(cache.nextCalls, 6);  // d.com did not fit: asked twice

    cache.vanishing = 4;  // d.com goes away between the two calls
    cache.nextCalls = 0;
    EXPECT_EQ(Enumerate(cache),
              (std::vector<std::string>{"Cookie:u@big.com/", "Cookie:u@a.com/", "Cookie:u@b.com/", "Cookie:u@c.com/"}));
    EXPECT_EQ(cache.nextCalls, 6);

    FakeCache throwing = ThreeEntries();
    int seen = 0;
    auto failOnSecond = [&](const INTERNET_CACHE_ENTRY_INFOA&) {
        if (++seen == 2) throw std::runtime_error("row failed");
    };
    EXPECT_THROW(EnumerateUrlCache(throwing.Source(), failOnSecond), std::runtime_error);
    EXPECT_EQ(throwing.closes, 1);
}
