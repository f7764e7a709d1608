// The enumeration of the URL cache against a stand-in cache that can fail
// in the ways WinInet can.
#include <gtest/gtest.h>

#include "CookieTestHelpers.h"
#include "cookies/UrlCache.h"

using namespace purgelet;
using namespace cookie_tests;

namespace {
std::vector<std::string> Enumerate(FakeCache& cache) {
    std::vector<std::string> names;
    EnumerateUrlCache(cache.Source(), [&](const INTERNET_CACHE_ENTRY_INFOA& e) {
        names.push_back(e.lpszSourceUrlName ? e.lpszSourceUrlName : "(null)");
    });
    return names;
}

FakeCache ThreeEntries() {
    FakeCache cache;
    cache.entries = {{"Cookie:u@a.com/"}, {"Cookie:u@b.com/", std::string(200, 'f')}, {"Cookie:u@c.com/"}};
    return cache;
}
}  // namespace

TEST(EnumerateUrlCache, ReadsEveryEntryInOrderWithBuffersOfExactlyTheReportedSize) {
    FakeCache cache = ThreeEntries();
    EXPECT_EQ(Enumerate(cache), (std::vector<std::string>{"Cookie:u@a.com/", "Cookie:u@b.com/", "Cookie:u@c.com/"}));
    EXPECT_EQ(cache.wrongSizedReads, 0);
    EXPECT_EQ(cache.firstCalls, 2);  // size query, then the read
    EXPECT_EQ(cache.nextCalls, 5);   // two per further entry, then the end
    EXPECT_EQ(cache.closes, 1);
}

TEST(EnumerateUrlCache, EndsOnAnyFailureOtherThanInsufficientBuffer) {
    for (DWORD code : {DWORD(ERROR_NO_MORE_ITEMS), DWORD(ERROR_INVALID_PARAMETER), DWORD(ERROR_ACCESS_DENIED),
                       DWORD(ERROR_INVALID_HANDLE), DWORD(ERROR_NOT_ENOUGH_MEMORY), DWORD(0)}) {
        SCOPED_TRACE(code);
        FakeCache cache = ThreeEntries();
        cache.endCode = code;
        cache.callLimit = 50;
        EXPECT_EQ(Enumerate(cache).size(), 3u);
        EXPECT_EQ(cache.nextCalls, 5);
        EXPECT_EQ(cache.closes, 1);
    }
}

TEST(EnumerateUrlCache, WithoutAFirstHandleNothingElseIsAsked) {
    FakeCache empty;
    EXPECT_TRUE(Enumerate(empty).empty());
    EXPECT_EQ(empty.nextCalls, 0);
    EXPECT_EQ(empty.closes, 0);

    // The first lookup fails although there are entries (WinInet's own
    // next-entry call does not survive a null handle).
    FakeCache failing = ThreeEntries();
    failing.firstFailsWith = ERROR_ACCESS_DENIED;
    EXPECT_TRUE(Enumerate(failing).empty());
    EXPECT_EQ(failing.nextCallsWithoutHandle, 0);
    EXPECT_EQ(failing.nextCalls, 0);
}

TEST(EnumerateUrlCache, AnEntryThatCannotBeReadIsPassedOver) {
    FakeCache cache = ThreeEntries();
    cache.vanishing = {1};
    EXPECT_EQ(Enumerate(cache), (std::vector<std::string>{"Cookie:u@a.com/", "Cookie:u@c.com/"}));
    EXPECT_EQ(cache.closes, 1);
}

TEST(EnumerateUrlCache, AnErrorWhileHandlingAnEntryEndsItAndReleasesTheHandle) {
    FakeCache cache = ThreeEntries();
    int seen = 0;
    EXPECT_THROW(EnumerateUrlCache(cache.Source(),
                                   [&](const INTERNET_CACHE_ENTRY_INFOA&) {
                                       if (++seen == 2) throw std::runtime_error("row failed");
                                   }),
                 std::runtime_error);
    EXPECT_EQ(seen, 2);
    EXPECT_EQ(cache.closes, 1);
}
