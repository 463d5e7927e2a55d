// gtest's main, plus the one set-up every test relies on: the test CA.
#include "support/test_support.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    TrustTestCa();
    return RUN_ALL_TESTS();
}
