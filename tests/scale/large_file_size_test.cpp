// A file of 4 GiB + 5 bytes (sparse) against manifest sizes that agree in
// all 64 bits or only in the low 32: a size read or compared in 32 bits
// would take 5 for 4 GiB + 5.
#include "engine/file_check.h"

#include <gtest/gtest.h>

#include <stdint.h>

#include <string>

#include "engine/patch_run.h"
#include "engine/status_board.h"
#include "platform/faults.h"
#include "scale/scale_platform.h"
#include "support/engine_fixture.h"
#include "support/run_support.h"
#include "support/test_support.h"

namespace {

const int64_t k4GiB = int64_t(1) << 32;
const int64_t kBigSize = k4GiB + 5;
const char kBigName[] = "big.pak";

class LargeFileSizeTest : public PatchRunFixture {
protected:
    void SetUp() override {
        PatchRunFixture::SetUp();
        std::string whyNot;
        if (!MakeSparseFile(Local(kBigName), kBigSize, &whyNot)) GTEST_SKIP() << whyNot;
    }
};

TEST_F(LargeFileSizeTest, SizesAreComparedInAllSixtyFourBits) {
    const std::string anyDigest = Sha1Hex("not the content");
    struct Case {
        int64_t expectedSize;
        bool versionsDiffer;
        LocalFileState state;
    } const cases[] = {
        {kBigSize, false, Current},
        // Above the hash limit the size alone decides, so 4 GiB is never read.
        {kBigSize, true, Current},
        {5, false, Stale},
        {5, true, Stale},
        {kBigSize + 1, false, Stale},
        {k4GiB, false, Stale},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("expected size " + std::to_string(c.expectedSize) +
                     (c.versionsDiffer ? ", versions differ" : ", versions equal"));
        PlatResetFaults();
        EXPECT_EQ(CheckLocalFile(Local(kBigName).c_str(), c.expectedSize, anyDigest.c_str(), c.versionsDiffer),
                  c.state);
        EXPECT_EQ(PlatCallCount(PlatOpOpenForRead), 0) << "the big file is never opened";
    }
}

// The same through a run: the size comes from the manifest's text.
TEST_F(LargeFileSizeTest, ARunReadsManifestSizesAboveFourGiB) {
    ServeVersion("3");
    WriteLocal("MOK_patch.state", "3");
    const std::string small = "small";
    Serve(kBigName, small);
    struct Case {
        std::string size;
        const char* end;
        bool downloaded;
    } const cases[] = {
        {std::to_string(kBigSize), "File lengkap & terbaru. Siap dimainkan!", false},
        // Stale by size: the five-byte file from the server replaces it.
        {"5", "Update selesai (1 file). Siap dimainkan!", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("manifest size " + c.size);
        Serve("manifest.txt", std::string(kBigName) + "|" + c.size + "|" + Sha1Hex(small) + "\n");
        PlatResetFaults();
        RunPatch();
        ASSERT_FALSE(board->log.empty());
        EXPECT_EQ(board->log.back().text, c.end);
        EXPECT_EQ(PlatCallCount(PlatOpHttpSession), c.downloaded ? 3 : 2);
        if (c.downloaded) {
            EXPECT_EQ(ReadLocal(kBigName), small);
        }
    }
}

}  // namespace
