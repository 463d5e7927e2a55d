#include "engine/download.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PercentEncodePath, KeepsUnreservedBytesAndEncodesTheRest) {
    struct Case {
        const char* path;
        const char* encoded;
    } const cases[] = {
        {"data/Maps-1_v2.~x", "data/Maps-1_v2.~x"},
        {"a b", "a%20b"},
        {"a+b", "a%2Bb"},
        {"a#b", "a%23b"},
        {"100%", "100%25"},
        {"dir\\file", "dir%5Cfile"},
        {"\xE9t\xE9", "%E9t%E9"},
        {"?&=", "%3F%26%3D"},
        {"\x7F\x80\xFF", "%7F%80%FF"},
        {"", ""},
    };
    for (const Case& c : cases) {
        char out[kEncodedPathSize];
        ASSERT_TRUE(PercentEncodePath(c.path, out, sizeof out)) << c.path;
        EXPECT_STREQ(out, c.encoded) << c.path;
    }
}

TEST(PercentEncodePath, RefusesAPathWhoseEncodingDoesNotFit) {
    char out[kEncodedPathSize];
    std::string fits(kEncodedPathSize - 1, 'a');
    ASSERT_TRUE(PercentEncodePath(fits.c_str(), out, sizeof out));
    EXPECT_EQ(std::string(out), fits);

    std::string oneOver(kEncodedPathSize, 'a');
    EXPECT_FALSE(PercentEncodePath(oneOver.c_str(), out, sizeof out));

    // 682 spaces need 2,046 characters; one more byte of any kind is too many.
    std::string spaces(682, ' ');
    EXPECT_TRUE(PercentEncodePath(spaces.c_str(), out, sizeof out));
    EXPECT_FALSE(PercentEncodePath((spaces + " ").c_str(), out, sizeof out));
    EXPECT_FALSE(PercentEncodePath((spaces + "ab").c_str(), out, sizeof out));
    EXPECT_TRUE(PercentEncodePath((spaces + "a").c_str(), out, sizeof out));
}

}  // namespace
