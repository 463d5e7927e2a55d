#include "tools/verify.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "engine/file_check.h"
#include "support/engine_fixture.h"
#include "support/test_support.h"
#include "tool_test_support.h"

namespace {

class VerifyTest : public ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        WriteTree(buildFolder, game);
        ASSERT_EQ(Generate(), Generated) << Describe(report);
    }
    bool Verify(bool full = false) {
        VerifyRequest check = {buildFolder, NativeIn(outFolder, "manifest.txt"), full, false};
        return VerifyFolder(check, &verified);
    }
    std::vector<std::string> Differences() const {
        std::vector<std::string> found;
        for (const Difference& d : verified.differences) found.push_back(DifferenceText(d.kind) + (": " + d.relativePath));
        return found;
    }

    Tree game = {{"MOK.exe", PatternBytes(5000, 1)},
                 {"data/a.pak", PatternBytes(1500000, 2)},
                 {"data/b c.txt", "bee see"},
                 {"empty", ""}};
    VerifyReport verified;
};

TEST_F(VerifyTest, ARoundTripHasNoDifferenceAndEachDamageIsReported) {
    ASSERT_TRUE(Verify());
    EXPECT_EQ(verified.entries, 4);
    EXPECT_EQ(Differences(), std::vector<std::string>{});

    std::string a = NativeIn(buildFolder, "data/a.pak");
    std::string changed = game[1].second;
    changed[777777] ^= 1;
    struct Case {
        const char* name;
        std::string content;  // empty: the file is removed
        bool folderInstead;
        std::string difference;
    } const cases[] = {
        {"missing", "", false, "missing: data/a.pak"},
        {"a folder in its place", "", true, "missing: data/a.pak"},
        {"truncated", game[1].second.substr(0, 1000000), false, "size differs: data/a.pak"},
        {"one byte longer", game[1].second + "x", false, "size differs: data/a.pak"},
        {"one changed byte", changed, false, "digest differs: data/a.pak"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        remove(a.c_str());
        if (c.folderInstead) WriteWholeFile(NativeIn(a, "inside"), "x");
        if (!c.content.empty()) WriteWholeFile(a, c.content);
        ASSERT_TRUE(Verify());
        EXPECT_EQ(Differences(), std::vector<std::string>{c.difference});
        RemoveTree(a);
    }
    WriteWholeFile(a, game[1].second);
    ASSERT_TRUE(Verify());
    EXPECT_EQ(Differences(), std::vector<std::string>{});
}

TEST_F(VerifyTest, EntriesAreReadAsThePatchRunReadsThem) {
    std::string manifest = NativeIn(outFolder, "manifest.txt");
    WriteWholeFile(manifest, "no bars here\r\n" + ManifestLine("MOK.exe", game[0].second).substr(0, 53) +
                                 "\r\n\r\n../escape|3|" + Sha1Hex("abc") + "\rCON|1|" + Sha1Hex("x") + "\r" +
                                 "data/b c.txt|7|" + Sha1Hex("bee see"));
    ASSERT_TRUE(Verify());
    EXPECT_EQ(verified.entries, 4);
    EXPECT_EQ(Differences(), (std::vector<std::string>{
                                 "refused by the patch run (unsafe or too long a path): ../escape",
                                 "refused by the patch run (unsafe or too long a path): CON",
                             }));
}

TEST_F(VerifyTest, LargeFilesAreTrustedBySizeUnlessFullIsAsked) {
    std::string big = PatternBytes(static_cast<size_t>(kHashSizeLimit) + 1, 9);
    Put("big.bin", big);
    ASSERT_EQ(Generate(), Generated) << Describe(report);
    big[12345] ^= 0x40;
    Put("big.bin", big);
    ASSERT_TRUE(Verify());
    EXPECT_EQ(Differences(), std::vector<std::string>{}) << "the patch run keeps it";
    ASSERT_TRUE(Verify(true));
    EXPECT_EQ(Differences(), std::vector<std::string>{std::string(DifferenceText(DifferenceBigDigest)) +
                                                      ": big.bin"});
}

TEST_F(VerifyTest, AnUnreadableManifestIsAnError) {
    VerifyRequest check = {buildFolder, NativeIn(outFolder, "missing.txt"), false, false};
    EXPECT_FALSE(VerifyFolder(check, &verified));
    EXPECT_FALSE(verified.error.empty());
}

}  // namespace
