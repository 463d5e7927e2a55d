#include "engine/version_state.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "platform/faults.h"
#include "support/engine_fixture.h"
#include "support/test_support.h"

namespace {

const char kState[] = "MOK_patch.state";

class VersionTest : public EngineTest {};

TEST_F(VersionTest, ComparesTheServerLabelWithTheStateFile) {
    const std::string longLabel(200, 'v');
    struct Case {
        const char* name;
        std::string body;
        bool hasState;
        std::string state;
        std::string version;
        bool differ;
    } const cases[] = {
        {"CR LF against bare", "1.2\r\nnotes", true, "1.2", "1.2", false},
        {"CR LF against CR LF", "1.2\r\n", true, "1.2\r\n", "1.2", false},
        {"LF against LF", "1.2\n", true, "1.2\njunk", "1.2", false},
        {"single LF, no state", "\n", false, "", "", false},
        {"no state", "1.2", false, "", "1.2", true},
        {"trailing space", "1.2 ", true, "1.2", "1.2 ", true},
        {"case", "V1", true, "v1", "V1", true},
        {"longer than 127", longLabel, true, longLabel, longLabel, true},
        {"exactly 127", longLabel.substr(0, 127), true, longLabel.substr(0, 127), longLabel.substr(0, 127), false},
        {"NUL in the body", std::string("1.2\0x", 5), true, "1.2", "1.2", false},
        {"NUL in the state", "1.2", true, std::string("1.2\0x", 5), "1.2", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ServeVersion(c.body);
        if (c.hasState) WriteLocal(kState, c.state);
        board->log.clear();
        char* version = nullptr;
        bool differ = !c.differ;
        ASSERT_EQ(CheckServerVersion(&version, &differ), ServerReached);
        EXPECT_EQ(std::string(version), c.version);
        EXPECT_EQ(differ, c.differ);
        free(version);
        EXPECT_EQ(board->log, (std::vector<Published>{{"Mengecek versi server...", 3, false}}));
        EXPECT_EQ(LocalExists(kState), c.hasState);
        if (c.hasState) {
            EXPECT_TRUE(ReadLocal(kState) == c.state) << "the check never writes the state file";
        }
        remove(Local(kState).c_str());
    }
}

TEST_F(VersionTest, UnreadableStateFileReadsAsEmpty) {
    ServeVersion("1.2");
    WriteLocal(kState, "1.2");
    PlatFailCall(PlatOpOpenForRead, 1);
    char* version = nullptr;
    bool differ = false;
    ASSERT_EQ(CheckServerVersion(&version, &differ), ServerReached);
    EXPECT_TRUE(differ);
    free(version);
}

TEST_F(VersionTest, EmptyBodyErrorAnswerOrNoServerIsOffline) {
    struct Case {
        const char* name;
        std::string base;
        bool serveEmpty;
    } const cases[] = {
        {"empty body", serverUrl, true},
        {"no version file", serverUrl, false},
        {"500", FaultUrl() + "status/500/", false},
        {"closed port", ClosedPortUrl(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.serveEmpty) ServeVersion("");
        UseBaseUrl(c.base);
        char* version = nullptr;
        bool differ = false;
        EXPECT_EQ(CheckServerVersion(&version, &differ), ServerOffline);
        EXPECT_EQ(version, nullptr);
    }
}

TEST_F(VersionTest, WriteStateFileStoresTheLabelWithoutALineEnd) {
    WriteLocal(kState, "an older and longer label");
    WriteStateFile("2.0");
    EXPECT_EQ(ReadLocal(kState), "2.0");

    PlatFailCall(PlatOpCreateForWrite, 1);
    WriteStateFile("3.0");
    EXPECT_EQ(ReadLocal(kState), "2.0");
}

}  // namespace
