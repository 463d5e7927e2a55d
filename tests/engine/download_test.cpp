#include "engine/download.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/status_board.h"
#include "platform/faults.h"
#include "support/engine_fixture.h"
#include "support/test_support.h"

namespace {

const char kTempSuffix[] = ".mokpart";

class DownloadTest : public EngineTest {
protected:
    DownloadOutcome Download(const std::string& name, int64_t size, const std::string& digest) {
        return DownloadFile(name.c_str(), Local(name).c_str(), size, digest.c_str());
    }
    DownloadOutcome Download(const std::string& name, const std::string& content) {
        return Download(name, static_cast<int64_t>(content.size()), Sha1Hex(content));
    }
    void ExpectUntouched(const std::string& name, const std::string& content) {
        EXPECT_TRUE(ReadLocal(name) == content) << name << " changed";
        EXPECT_FALSE(LocalExists(name + kTempSuffix)) << "temporary file left behind";
    }
    std::vector<std::string> DistinctTexts() const {
        std::vector<std::string> texts;
        for (const Published& update : board->log)
            if (texts.empty() || texts.back() != update.text) texts.push_back(update.text);
        return texts;
    }
};

TEST_F(DownloadTest, CreatesFoldersOutermostFirstAndFetchesTheFile) {
    const std::string content = PatternBytes(150000);
    Serve("a/b/c/file.bin", content);
    EXPECT_EQ(Download("a/b/c/file.bin", content), Fetched);
    EXPECT_TRUE(ReadLocal("a/b/c/file.bin") == content);
    EXPECT_FALSE(LocalExists(std::string("a/b/c/file.bin") + kTempSuffix));
    EXPECT_EQ(PlatCallCount(PlatOpCreateDirectory), 3) << "a, a/b, a/b/c: never the base or the file";
    EXPECT_STREQ(PlatHandleLog(), "S+U+C+H+F+F-H-C-U-S-");
}

TEST_F(DownloadTest, ReplacesAnExistingFileAndOverwritesALeftoverTemporaryFile) {
    const std::string content = "new content";
    Serve("game.pak", content);
    WriteLocal("game.pak", "old content that is longer");
    WriteLocal(std::string("game.pak") + kTempSuffix, "left by a killed run, and longer than the new file");
    EXPECT_EQ(Download("game.pak", content), Fetched);
    EXPECT_EQ(ReadLocal("game.pak"), content);
    EXPECT_FALSE(LocalExists(std::string("game.pak") + kTempSuffix));
}

TEST_F(DownloadTest, LargeFileShowsAMegabyteCounterWithoutMovingTheBar) {
    const std::string content = PatternBytes(9 * 1024 * 1024);
    Serve("big.pak", content);
    PublishStatus("Mengunduh: big.pak", 42);
    board->log.clear();
    ASSERT_EQ(Download("big.pak", content), Fetched);
    std::vector<std::string> expected;
    for (int mb = 0; mb <= 9; ++mb)
        expected.push_back("Mengunduh data game...  " + std::to_string(mb) + " / 9 MB");
    EXPECT_EQ(DistinctTexts(), expected);
    for (const Published& update : board->log) {
        EXPECT_TRUE(update.textOnly);
        EXPECT_EQ(update.percent, 42);
    }
}

TEST_F(DownloadTest, ExactlyEightMebibytesShowsNoCounter) {
    const std::string content = PatternBytes(8388608);
    Serve("eight.pak", content);
    ASSERT_EQ(Download("eight.pak", content), Fetched);
    EXPECT_TRUE(board->log.empty());
}

TEST_F(DownloadTest, BadAnswersLeaveTheTargetAsItWas) {
    const std::string good = PatternBytes(10000);
    std::string oneByteChanged = good;
    oneByteChanged[5000] ^= 1;
    Serve("changed.pak", oneByteChanged);
    Serve("short.pak", good.substr(0, 9999));
    Serve("long.pak", good + "x");
    struct Case {
        const char* name;
        std::string base;  // PatchBaseUrl for the download
        std::string file;
    } const cases[] = {
        {"404", FaultUrl() + "status/404/", "game.pak"},
        {"500", FaultUrl() + "status/500/", "game.pak"},
        {"missing on the server", serverUrl, "nothing.pak"},
        {"cut mid-body", FaultUrl() + "cut/4000/10000/", "game.pak"},
        {"reset mid-body", FaultUrl() + "reset/4000/10000/", "game.pak"},
        {"one byte changed", serverUrl, "changed.pak"},
        {"one byte short", serverUrl, "short.pak"},
        {"one byte long", serverUrl, "long.pak"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string before = "installed " + c.file;
        WriteLocal(c.file, before);
        UseBaseUrl(c.base);
        EXPECT_EQ(DownloadFile(c.file.c_str(), Local(c.file).c_str(), 10000, Sha1Hex(good).c_str()), Failed);
        ExpectUntouched(c.file, before);
        EXPECT_EQ(PlatOpenHandleCount(), 0);
    }
}

TEST_F(DownloadTest, NegativeSizeAcceptsAnyBodyEvenAnEmptyOne) {
    Serve("empty.cfg", "");
    WriteLocal("empty.cfg", "old");
    EXPECT_EQ(Download("empty.cfg", -1, "whatever"), Fetched);
    EXPECT_EQ(ReadLocal("empty.cfg"), "");
    EXPECT_EQ(PlatCallCount(PlatOpHashContext), 0);
}

TEST_F(DownloadTest, LocalFailuresLeaveTheTargetAndCloseEverything) {
    const std::string content = PatternBytes(200000);
    Serve("game.pak", content);
    struct Case {
        const char* name;
        PlatOp op;
        int nth;
        const char* handles;
    } const cases[] = {
        {"session", PlatOpHttpSession, 1, ""},
        {"open URL", PlatOpHttpOpenUrl, 1, "S+S-"},
        {"hash context", PlatOpHashContext, 1, "S+U+U-S-"},
        {"hash object", PlatOpHashCreate, 1, "S+U+C+C-U-S-"},
        {"create temporary file", PlatOpCreateForWrite, 1, "S+U+C+H+H-C-U-S-"},
        {"read", PlatOpHttpRead, 2, "S+U+C+H+F+F-H-C-U-S-"},
        {"write", PlatOpWriteFile, 2, "S+U+C+H+F+F-H-C-U-S-"},
        {"short write", PlatOpShortWrite, 1, "S+U+C+H+F+F-H-C-U-S-"},
        {"hash feed", PlatOpHashFeed, 1, "S+U+C+H+F+F-H-C-U-S-"},
        {"hash value", PlatOpHashValue, 1, "S+U+C+H+F+F-H-C-U-S-"},
        {"replace", PlatOpReplaceFile, 1, "S+U+C+H+F+F-H-C-U-S-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteLocal("game.pak", "installed");
        PlatResetFaults();
        PlatFailCall(c.op, c.nth);
        EXPECT_EQ(Download("game.pak", content), Failed);
        EXPECT_STREQ(PlatHandleLog(), c.handles);
        ExpectUntouched("game.pak", "installed");
    }
}

TEST_F(DownloadTest, PathsThatDoNotFitAreNeverCut) {
    // The local path fits 259 characters, but its temporary name does not.
    std::string name(259 - installFolder.size() - 1, 'n');
    Serve(name, "x");
    EXPECT_EQ(Download(name, "x"), Failed);
    EXPECT_FALSE(LocalExists(name));
    EXPECT_EQ(PlatCallCount(PlatOpHttpSession), 0);

    std::string deep;  // 700 spaces encode to 2,100 characters
    deep.assign(700, ' ');
    EXPECT_EQ(DownloadFile(deep.c_str(), Local("x").c_str(), 1, Sha1Hex("x").c_str()), Failed);
    EXPECT_EQ(PlatCallCount(PlatOpHttpSession), 0);
}

TEST_F(DownloadTest, ServerSeesTheEncodedPathAndTheFileKeepsItsRawName) {
    UseBaseUrl(FaultUrl() + "echo/");
    const std::string name = "dir x/a+b\\c\xE9#.txt";
    ASSERT_EQ(Download(name, -1, ""), Fetched);
    const std::string echoed = ReadLocal("dir x/a+b/c\xE9#.txt");
    EXPECT_NE(echoed.find("GET /echo/dir%20x/a%2Bb%5Cc%E9%23.txt HTTP/1.1"), std::string::npos) << echoed;
    EXPECT_NE(echoed.find("User-Agent: MOK-Patcher/3.0"), std::string::npos) << echoed;
}

}  // namespace
