// A manifest of a million entries, about 80 MB, all naming eight current
// files: the run must check every entry, download nothing, and need no
// memory beyond the one fetch buffer.
#include "engine/patch_run.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "engine/status_board.h"
#include "platform/faults.h"
#include "scale/scale_platform.h"
#include "support/engine_fixture.h"
#include "support/run_support.h"
#include "support/test_support.h"

namespace {

const int kEntries = 1000000;
const int kFiles = 8;
const int64_t kMiB = 1 << 20;
// Libraries, TLS state, stacks, the test's own bookkeeping and, natively,
// AddressSanitizer's shadow (a byte for every eight of the heap).
const int64_t kFixedMargin = 32 * kMiB;

// What the fetch buffer reaches for `body` bytes: it starts at 128 KiB and
// doubles whenever at most 4,095 bytes are left free.
int64_t FinalBufferSize(int64_t body) {
    int64_t capacity = 128 * 1024;
    while (capacity - body <= 4095) capacity *= 2;
    return capacity;
}

// Top-level names: every folder level costs Wine a lookup per entry.
std::string FileName(int index) { return "scale-test-file-number-" + std::to_string(index) + "-data.bin"; }

// Only counts, so the observer itself needs no memory per update.
struct CheckingTexts {
    int count;
    std::string last;
    std::string end;
};
CheckingTexts g_seen;

void CountUpdate(const char* text, int, bool) {
    if (strncmp(text, "Memeriksa file... (", 19) == 0) {
        ++g_seen.count;
        g_seen.last = text;
    } else {
        g_seen.end = text;
    }
}

class LargeManifestTest : public PatchRunFixture {
protected:

    // Written line by line, so the test never holds the manifest in memory
    // and the peak measured around the run is the engine's.
    int64_t WriteManifest() {
        std::string lines[kFiles];
        for (int i = 0; i < kFiles; ++i) {
            std::string content = PatternBytes(100 + i, i);
            WriteLocal(FileName(i), content);
            lines[i] = ManifestLine(FileName(i), content);
        }
        std::string path = serverFolder + "manifest.txt";
        FILE* file = fopen(path.c_str(), "wb");
        if (!file) {
            ADD_FAILURE() << "cannot create " << path;
            return 0;
        }
        int64_t written = 0;
        for (int entry = 0; entry < kEntries; ++entry) {
            const std::string& line = lines[entry % kFiles];
            written += static_cast<int64_t>(fwrite(line.data(), 1, line.size(), file));
        }
        if (fclose(file) != 0) ADD_FAILURE() << "cannot write " << path;
        return written;
    }
};

TEST_F(LargeManifestTest, AMillionCurrentEntriesAreCheckedWithinTheOneBuffer) {
    ServeVersion("7");
    WriteLocal("MOK_patch.state", "7");
    int64_t body = WriteManifest();
    ASSERT_GT(body, 75 * 1000 * 1000);

    g_seen = CheckingTexts{0, std::string(), std::string()};
    SetStatusObserver(CountUpdate);
    PlatResetFaults();
    int64_t currentBefore = 0, peakBefore = 0, currentAfter = 0, peakAfter = 0;
    ASSERT_TRUE(ReadProcessMemory(&currentBefore, &peakBefore));
    EXPECT_EQ(PatchRun(nullptr), 0u);
    ASSERT_TRUE(ReadProcessMemory(&currentAfter, &peakAfter));
    SetStatusObserver(nullptr);
    EXPECT_EQ(DoneCount(), 1);

    EXPECT_EQ(g_seen.end, "File lengkap & terbaru. Siap dimainkan!");
    EXPECT_EQ(g_seen.count, kEntries / 8) << "one checking text every eighth entry";
    EXPECT_EQ(g_seen.last, "Memeriksa file... (1000000/1000000)");
    EXPECT_EQ(PlatCallCount(PlatOpFileInfo), kEntries) << "one attribute query per entry";
    EXPECT_EQ(PlatCallCount(PlatOpHttpSession), 2) << "version and manifest only: nothing downloaded";
    EXPECT_EQ(PlatCallCount(PlatOpOpenForRead), 1) << "only the state file: equal versions hash nothing";

    // The buffer rule's peak: at the last doubling the full old block is
    // copied into the new one, C bytes at once for a final block of C; the
    // body then fills less than C. Parsing and checking a million entries
    // must add nothing to that.
    int64_t buffer = FinalBufferSize(body);
    int64_t growth = peakAfter - currentBefore;
    printf("manifest %lld bytes, final buffer %lld MiB, peak growth %lld MiB (before: %lld MiB resident)\n",
           static_cast<long long>(body), static_cast<long long>(buffer / kMiB), static_cast<long long>(growth / kMiB),
           static_cast<long long>(currentBefore / kMiB));
    EXPECT_GE(growth, body) << "the measurement must at least see the manifest held in memory";
    EXPECT_LE(growth, buffer + kFixedMargin);
}

}  // namespace
