// Checks of the test helpers themselves: every other test trusts them.
#include "support/test_support.h"

#include "platform/platform.h"

#include <gtest/gtest.h>

#include <string>

#ifdef _WIN32
#include <windows.h>
#define MOK_SEP "\\"
#else
#include <unistd.h>
#define MOK_SEP "/"
#endif

namespace {

unsigned long ThisProcess() {
#ifdef _WIN32
    return GetCurrentProcessId();
#else
    return static_cast<unsigned long>(getpid());
#endif
}

// Whole body of `url`, or "" with a failure when the request does not succeed.
std::string Fetch(const std::string& url) {
    std::string body;
    PlatHttpSession* session = PlatHttpOpenSession();
    if (session == nullptr) {
        ADD_FAILURE() << "no HTTP session";
        return body;
    }
    PlatHttpRequest* request = PlatHttpOpenUrl(session, url.c_str());
    if (request == nullptr) {
        ADD_FAILURE() << "request failed: " << url;
    } else {
        EXPECT_EQ(200, PlatHttpStatus(request)) << url;
        char buffer[4096];
        uint32_t got = 0;
        while (PlatHttpRead(request, buffer, sizeof buffer, &got) && got > 0) body.append(buffer, got);
        PlatHttpCloseUrl(request);
    }
    PlatHttpCloseSession(session);
    return body;
}

}  // namespace

// Digests from Python's hashlib; the lengths straddle the padding boundaries.
TEST(Sha1Hex, MatchesAnIndependentImplementation) {
    std::string allBytes;
    for (int i = 0; i < 256; ++i) allBytes += static_cast<char>(i);
    struct Case {
        std::string input;
        const char* digest;
    } cases[] = {
        {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {std::string(55, 'a'), "c1c8bbdc22796e28c0e15163d20899b65621d65a"},
        {std::string(56, 'a'), "c2db330f6083854c99d4b5bfb6e8f29f201be699"},
        {std::string(64, 'a'), "0098ba824b5c16427bd7a1122a5a442a25ec644d"},
        {std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
        {allBytes, "4916d6bdb7f78e6803698cab32d1586ea457dfc8"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.digest, Sha1Hex(c.input)) << "input of " << c.input.size() << " bytes";
    }
}

TEST(PathJoin, PutsExactlyOneSeparatorBetween) {
    EXPECT_EQ("a" MOK_SEP "b", PathJoin("a", "b"));
    EXPECT_EQ("a" MOK_SEP "b", PathJoin("a" MOK_SEP, "b"));
    EXPECT_EQ("b", PathJoin("", "b"));
}

TEST(TempFolder, IsNewEmptyAndRemovedWithItsContent) {
    std::string first = MakeTempFolder();
    std::string second = MakeTempFolder();
    ASSERT_FALSE(first.empty());
    EXPECT_NE(first, second);
    EXPECT_EQ(MOK_SEP, first.substr(first.size() - 1));

    std::string nested = PathJoin(PathJoin(first, "sub"), "file.bin");
    WriteWholeFile(nested, "x");
    EXPECT_TRUE(FileExists(nested));
    EXPECT_FALSE(FileExists(first)) << "a folder is not a file";

    RemoveTree(first);
    RemoveTree(second);
    EXPECT_FALSE(FileExists(nested));
    // The folder itself is gone: a file can take its name.
    std::string sameName = first.substr(0, first.size() - 1);
    WriteWholeFile(sameName, "y");
    EXPECT_TRUE(FileExists(sameName));
    RemoveTree(sameName);
    EXPECT_FALSE(FileExists(sameName));
}

TEST(WholeFile, RoundTripsBinaryContent) {
    std::string folder = MakeTempFolder();
    std::string path = PathJoin(folder, "data.bin");
    std::string content("a\0b\r\n\x1a\xff", 7);
    WriteWholeFile(path, content);
    std::string back;
    ASSERT_TRUE(ReadWholeFile(path, &back));
    EXPECT_EQ(content, back);
    EXPECT_FALSE(ReadWholeFile(PathJoin(folder, "missing"), &back));
    RemoveTree(folder);
}

// DocRoot() and NginxUrl() must name the same folder, as this process sees it.
TEST(TestServers, NginxServesWhatIsWrittenToDocRoot) {
    std::string name = "support-check-" + std::to_string(ThisProcess()) + ".bin";
    std::string path = PathJoin(PathJoin(DocRoot(), "mok-patch"), name);
    std::string content = std::string("served \0 as written", 19) + name;
    WriteWholeFile(path, content);
    EXPECT_EQ(content, Fetch(NginxUrl() + "mok-patch/" + name));
    EXPECT_EQ(content, Fetch(FaultUrl() + "files/mok-patch/" + name));
    RemoveTree(path);
}
