#include "engine/status_board.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "support/engine_fixture.h"

namespace {

TEST(StatusBoard, StartsWithTheStartingText) {
    ResetStatusBoard();
    char text[kStatusTextSize];
    int percent = -1;
    ReadStatusBoard(text, &percent);
    EXPECT_STREQ(text, "Memulai...");
    EXPECT_EQ(percent, 0);
    EXPECT_FALSE(IsBoardReady());
}

TEST(StatusBoard, KeepsAtMost299Characters) {
    ResetStatusBoard();
    std::string longText(400, 'x');
    longText[298] = 'y';
    PublishStatus(longText.c_str(), 7);
    char text[kStatusTextSize];
    int percent = 0;
    ReadStatusBoard(text, &percent);
    EXPECT_EQ(std::string(text), longText.substr(0, 299));
    EXPECT_EQ(percent, 7);
}

TEST(StatusBoard, TextOnlyUpdateKeepsThePercentAndTheObserverSeesBoth) {
    BoardRecorder recorder;
    PublishStatus("a", 185);
    PublishStatusText("b");
    char text[kStatusTextSize];
    int percent = 0;
    ReadStatusBoard(text, &percent);
    EXPECT_STREQ(text, "b");
    EXPECT_EQ(percent, 185);  // never clamped
    ASSERT_EQ(recorder.log.size(), 2u);
    EXPECT_EQ(recorder.log[0], (Published{"a", 185, false}));
    EXPECT_EQ(recorder.log[1], (Published{"b", 185, true}));
}

TEST(StatusBoard, ReadyIsSetOnceAndStays) {
    ResetStatusBoard();
    SetBoardReady();
    PublishStatus("later", 1);
    EXPECT_TRUE(IsBoardReady());
}

// A reader must never see a mix of two texts.
TEST(StatusBoard, ConcurrentPublishAndReadNeverTearsAText) {
    ResetStatusBoard();
    const std::string first(299, 'a');
    const std::string second(150, 'b');
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 200000; ++i) PublishStatus((i % 2 ? first : second).c_str(), i % 2 ? 1 : 2);
        done = true;
    });
    int reads = 0;
    int torn = 0;
    char text[kStatusTextSize];
    while (!done || reads < 1000) {
        int percent = 0;
        ReadStatusBoard(text, &percent);
        std::string seen(text);
        bool whole = (seen == first && percent == 1) || (seen == second && percent == 2) ||
                     (seen == "Memulai..." && percent == 0);
        if (!whole) ++torn;
        ++reads;
    }
    writer.join();
    EXPECT_EQ(torn, 0) << "of " << reads << " reads";
}

}  // namespace
