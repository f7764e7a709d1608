#include <gtest/gtest.h>

#include "base/InstanceMutex.h"

using namespace purgelet;

TEST(InstanceMutex, AClaimFindsTheHeldMutexAndAHolderThatGoesLetsItGo) {
    const std::string name = "Purgelet test instance mutex";
    InstanceMutex first, second;
    EXPECT_FALSE(first.Claim(name));
    EXPECT_TRUE(first);
    EXPECT_TRUE(second.Claim(name));
    second.Release();
    first.Release();
    EXPECT_FALSE(first);
    {
        InstanceMutex holder;
        EXPECT_FALSE(holder.Claim(name));
    }
    EXPECT_FALSE(first.Claim(name));
}
