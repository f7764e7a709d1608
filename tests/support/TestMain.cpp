// The start of every test program: whatever an earlier program that crashed
// left in the prefix, the tests start from the reported Windows version they
// expect (Wine's default).
#include <gtest/gtest.h>

#include <cstdio>

#include "support/TestSupport.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (!testing_support::ReportDefaultVersion()) {
        std::fprintf(stderr, "The prefix's reported Windows version cannot be reset.\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}
