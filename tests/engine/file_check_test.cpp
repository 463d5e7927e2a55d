#include "engine/file_check.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/faults.h"
#include "support/engine_fixture.h"
#include "support/test_support.h"

namespace {

class FileCheckTest : public EngineTest {
protected:
    LocalFileState Check(const std::string& name, int64_t size, const std::string& digest, bool differ) {
        return CheckLocalFile(Local(name).c_str(), size, digest.c_str(), differ);
    }
};

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
}

TEST_F(FileCheckTest, DecidesBySizeAndWhereAskedByDigest) {
    const std::string content = PatternBytes(100000);
    const std::string other = PatternBytes(100000, 9);
    const std::string digest = Sha1Hex(content);
    WriteLocal("game.pak", content);
    WriteLocal("empty.dat", "");
    WriteLocal("folder/inner.txt", "x");
    struct Case {
        const char* name;
        const char* file;
        int64_t size;
        std::string digest;
        bool differ;
        LocalFileState expected;
    } const cases[] = {
        {"same content, versions equal", "game.pak", 100000, digest, false, Current},
        {"same content, versions differ", "game.pak", 100000, digest, true, Current},
        {"other content, versions equal", "game.pak", 100000, Sha1Hex(other), false, Current},
        {"other content, versions differ", "game.pak", 100000, Sha1Hex(other), true, Stale},
        {"other size", "game.pak", 99999, digest, false, Stale},
        {"negative size", "game.pak", -1, digest, false, Stale},
        {"upper-case digest", "game.pak", 100000, Upper(digest), true, Stale},
        {"trailing space", "game.pak", 100000, digest + " ", true, Stale},
        {"digest with more after a '|'", "game.pak", 100000, digest + "|x", true, Stale},
        {"empty digest", "game.pak", 100000, "", true, Stale},
        {"empty file, digest of nothing", "empty.dat", 0, Sha1Hex(""), true, Current},
        {"empty file, other digest", "empty.dat", 0, digest, true, Stale},
        {"missing", "none.dat", 0, Sha1Hex(""), false, Stale},
        {"directory", "folder", 0, Sha1Hex(""), false, Stale},
    };
    for (const Case& c : cases) {
        PlatResetFaults();
        EXPECT_EQ(Check(c.file, c.size, c.digest, c.differ), c.expected) << c.name;
        if (!c.differ) {
            EXPECT_EQ(PlatCallCount(PlatOpOpenForRead), 0) << c.name << ": no content is read";
        }
    }
}

TEST_F(FileCheckTest, HashesUpTo50MiBAndTrustsLargerFilesBySize) {
    const int64_t limit = 52428800;
    struct Case {
        int64_t size;
        LocalFileState expected;  // with a wrong digest and versions differing
        int reads;
    } const cases[] = {
        {limit, Stale, 801},  // 800 full chunks and the empty read that ends the data
        {limit + 1, Current, 0},
    };
    for (const Case& c : cases) {
        WriteLocal("big.pak", std::string(static_cast<size_t>(c.size), 'z'));
        PlatResetFaults();
        EXPECT_EQ(Check("big.pak", c.size, Sha1Hex("not it"), true), c.expected) << c.size;
        EXPECT_EQ(PlatCallCount(PlatOpReadFile), c.reads) << c.size;
    }
}

TEST_F(FileCheckTest, FailingDigestMachineryCountsInTheFilesFavour) {
    WriteLocal("game.pak", PatternBytes(200000));
    const std::string wrong = Sha1Hex("something else");
    struct Case {
        PlatOp op;
        const char* handles;
    } const cases[] = {
        {PlatOpOpenForRead, ""},
        {PlatOpHashContext, "F+F-"},
        {PlatOpHashCreate, "F+C+C-F-"},
        {PlatOpHashFeed, "F+C+H+H-C-F-"},
        {PlatOpHashValue, "F+C+H+H-C-F-"},
    };
    for (const Case& c : cases) {
        PlatResetFaults();
        PlatFailCall(c.op, 1);
        EXPECT_EQ(Check("game.pak", 200000, wrong, true), Current) << c.op;
        EXPECT_STREQ(PlatHandleLog(), c.handles) << c.op;
    }
    PlatResetFaults();
    EXPECT_EQ(Check("game.pak", 200000, wrong, true), Stale);
    EXPECT_STREQ(PlatHandleLog(), "F+C+H+H-C-F-");
}

TEST_F(FileCheckTest, ReadErrorMidFileComparesTheDigestOfWhatWasRead) {
    const std::string content = PatternBytes(200000);
    WriteLocal("game.pak", content);
    const std::string firstChunk = Sha1Hex(content.substr(0, 65536));

    PlatFailCall(PlatOpReadFile, 2);
    EXPECT_EQ(Check("game.pak", 200000, firstChunk, true), Current);
    PlatResetFaults();
    PlatFailCall(PlatOpReadFile, 2);
    EXPECT_EQ(Check("game.pak", 200000, Sha1Hex(content), true), Stale);
}

}  // namespace
