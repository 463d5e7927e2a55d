#include "engine/manifest.h"

#include <gtest/gtest.h>
#include <stdint.h>

#include <string>

namespace {

TEST(ReadManifestSize, ReadsLikeASigned64BitDecimal) {
    struct Case {
        const char* text;
        int64_t expected;
    } const cases[] = {
        {"1234", 1234},
        {"  \t42", 42},
        {"+7", 7},
        {"-5", -5},
        {"12abc", 12},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"+-3", 0},
        {"9223372036854775807", INT64_MAX},
        {"9223372036854775808", INT64_MAX},
        {"99999999999999999999999", INT64_MAX},
        {"-9223372036854775808", INT64_MIN},
        {"-9223372036854775809", INT64_MIN},
        {"4294967297", 4294967297LL},
        {"007", 7},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadManifestSize(c.text), c.expected) << '"' << c.text << '"';
}

TEST(CountManifestLines, CountsLineFeedsUpToTheFirstNulAndAtLeastOne) {
    EXPECT_EQ(CountManifestLines("a|1|x\nb|2|y\n"), 2);
    EXPECT_EQ(CountManifestLines("a|1|x\nb|2|y"), 1);
    EXPECT_EQ(CountManifestLines("a\rb\rc\r"), 1);
    EXPECT_EQ(CountManifestLines("\r\n\r\n\n"), 3);
    EXPECT_EQ(CountManifestLines(""), 1);
    const char withNul[] = "a\n\0b\nc\n";
    EXPECT_EQ(CountManifestLines(withNul), 1);
}

TEST(SplitManifestLine, TakesPathSizeAndTheRestAsDigest) {
    char line[] = "data/a b.pak|  +100|abc|def";
    ManifestEntry entry;
    ASSERT_TRUE(SplitManifestLine(line, &entry));
    EXPECT_STREQ(entry.relativePath, "data/a b.pak");
    EXPECT_EQ(entry.size, 100);
    EXPECT_STREQ(entry.digest, "abc|def");

    char empty[] = "||";
    ASSERT_TRUE(SplitManifestLine(empty, &entry));
    EXPECT_STREQ(entry.relativePath, "");
    EXPECT_EQ(entry.size, 0);
    EXPECT_STREQ(entry.digest, "");

    char onePipe[] = "path|12";
    EXPECT_FALSE(SplitManifestLine(onePipe, &entry));
    char noPipe[] = "just text";
    EXPECT_FALSE(SplitManifestLine(noPipe, &entry));
}

TEST(IsSafeRelativePath, AcceptsOrdinaryGamePaths) {
    const char* const safe[] = {
        "MOK.exe", "data/maps/level1.map", "data\\sound\\a.wav", "a b/c+d#e%f.txt", "dir.v2/file",
        "CONSOLE.txt", "com10.dat", "lpt0", "nul_file", "..a", "a..b", "\xE9t\xE9.txt", "x/.hidden",
    };
    for (const char* path : safe) EXPECT_TRUE(IsSafeRelativePath(path)) << path;
}

TEST(IsSafeRelativePath, RefusesPathsThatLeaveTheFolderOrNameADevice) {
    const char* const unsafe[] = {
        "",
        "/etc/passwd",
        "\\Windows\\evil.dll",
        "\\\\server\\share\\x",
        "//server/share/x",
        "C:\\x",
        "C:x",
        "file.txt:stream",
        "../../Windows/evil.dll",
        "..\\..\\evil.dll",
        "data/../../evil.dll",
        "data/..",
        "..",
        "data/./x",
        "data//x",
        "data/",
        "data/...",
        "data/.. /x",
        "a\tb",
        "a\x01/b",
        "a\x1f",
        "CON",
        "con.txt",
        "data/PRN.log",
        "Aux",
        "NUL.tar.gz",
        "COM1",
        "com9.txt",
        "COM\xB9",
        "lpt\xB2.txt",
        "LPT\xB3",
        "LPT1",
        "lpt5.dat",
        "CON /x",
    };
    for (const char* path : unsafe) EXPECT_FALSE(IsSafeRelativePath(path)) << '"' << path << '"';
}

TEST(ComposeLocalPath, JoinsAndTurnsSlashesIntoBackslashes) {
    char out[260];
    ASSERT_TRUE(ComposeLocalPath("C:\\Games\\MOK\\", "data/maps/a.map", out, sizeof out));
    EXPECT_STREQ(out, "C:\\Games\\MOK\\data\\maps\\a.map");

    std::string base = "C:\\" + std::string(250, 'b') + "\\";  // 254 characters
    ASSERT_TRUE(ComposeLocalPath(base.c_str(), "12345", out, sizeof out));  // 259: fits
    EXPECT_EQ(std::string(out).size(), 259u);
    EXPECT_FALSE(ComposeLocalPath(base.c_str(), "123456", out, sizeof out));  // 260: never cut
}

}  // namespace
