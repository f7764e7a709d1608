// Every test program starts from the reported Windows version the tests
// expect (Wine's default), whatever a program that crashed left in the prefix.
#include <gtest/gtest.h>

#include <cstdio>

#include "support/TestSupport.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (testing_support::ReportDefaultVersion()) return RUN_ALL_TESTS();
    std::fprintf(stderr, "The prefix's reported Windows version cannot be reset.\n");
    return 1;
}
