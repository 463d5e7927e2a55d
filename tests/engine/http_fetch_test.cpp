#include "engine/http_fetch.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "platform/faults.h"
#include "support/engine_fixture.h"
#include "support/test_support.h"

namespace {

const size_t kFirstBlock = 131072;

class FetchTest : public EngineTest {
protected:
    // Fetches `url`; returns whether a buffer came back, with its content.
    bool Fetch(const std::string& url, std::string* body, size_t* length) {
        *length = 0;
        char* buffer = FetchUrlToMemory(url.c_str(), length);
        if (!buffer) return false;
        EXPECT_EQ(buffer[*length], '\0') << "the body is NUL-terminated";
        body->assign(buffer, *length);
        free(buffer);
        return true;
    }
};

TEST_F(FetchTest, ReturnsBodiesWholeAndTerminated) {
    struct Case {
        const char* name;
        std::string content;
        int blocks;  // allocations: the first block plus one per doubling
    } const cases[] = {
        {"empty", "", 1},
        {"label", "1.0.4\r\n", 1},
        {"with-nul", std::string("ab\0cd\n", 6), 1},
        {"leaves-4096-free", PatternBytes(kFirstBlock - 1 - 4095, 2), 1},
        {"leaves-4095-free", PatternBytes(kFirstBlock - 4095, 3), 2},
        {"several-mib", PatternBytes(5 * 1024 * 1024 + 17, 4), 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Serve(c.name, c.content);
        PlatResetFaults();
        std::string body;
        size_t length = 99;
        ASSERT_TRUE(Fetch(serverUrl + c.name, &body, &length));
        EXPECT_EQ(length, c.content.size());
        EXPECT_TRUE(body == c.content);
        EXPECT_EQ(PlatCallCount(PlatOpAlloc), c.blocks);
    }
}

TEST_F(FetchTest, ErrorAnswersAndTransportFailuresGiveNoBuffer) {
    struct Case {
        const char* name;
        std::string url;
    } const cases[] = {
        {"404 from nginx", serverUrl + "missing.txt"},
        {"404 scripted", FaultUrl() + "status/404/version.txt"},
        {"500 scripted", FaultUrl() + "status/500/version.txt"},
        {"closed port", ClosedPortUrl() + "version.txt"},
        {"unresolvable host", "https://no-such-host.invalid/mok-patch/version.txt"},
        {"unknown CA", UntrustedUrl() + "size/10/version.txt"},
        {"cut half-way", FaultUrl() + "cut/5000/10000/version.txt"},
        {"reset half-way", FaultUrl() + "reset/5000/10000/version.txt"},
        {"redirect to http", FaultUrl() + "redirect-http/version.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        size_t length = 0;
        char* buffer = FetchUrlToMemory(c.url.c_str(), &length);
        EXPECT_EQ(buffer, nullptr);
        EXPECT_EQ(length, 0u) << "length is left untouched";
        free(buffer);
    }
}

TEST_F(FetchTest, ServerSeesTheAgentAndNoCache) {
    std::string body;
    size_t length = 0;
    ASSERT_TRUE(Fetch(FaultUrl() + "echo/version.txt", &body, &length));
    EXPECT_NE(body.find("User-Agent: MOK-Patcher/3.0\r\n"), std::string::npos) << body;
    EXPECT_NE(body.find("Pragma: no-cache\r\n"), std::string::npos) << body;
}

TEST_F(FetchTest, FailureAtEachStepClosesWhatWasOpened) {
    Serve("big", PatternBytes(300000));
    struct Case {
        const char* name;
        PlatOp op;
        int nth;
        const char* handles;
        long long length;  // what the caller's preset 77 becomes; -1: the bytes read so far
    } const cases[] = {
        {"session", PlatOpHttpSession, 1, "", 77},
        {"open URL", PlatOpHttpOpenUrl, 1, "S+S-", 77},
        {"first block", PlatOpAlloc, 1, "S+U+U-S-", 0},
        {"growing", PlatOpAlloc, 2, "S+U+U-S-", -1},
        {"first read", PlatOpHttpRead, 1, "S+U+U-S-", 77},
        {"later read", PlatOpHttpRead, 3, "S+U+U-S-", 77},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlatResetFaults();
        PlatFailCall(c.op, c.nth);
        size_t length = 77;
        char* buffer = FetchUrlToMemory((serverUrl + "big").c_str(), &length);
        EXPECT_EQ(buffer, nullptr);
        free(buffer);
        EXPECT_STREQ(PlatHandleLog(), c.handles);
        EXPECT_EQ(PlatOpenHandleCount(), 0);
        if (c.length >= 0)
            EXPECT_EQ(length, static_cast<size_t>(c.length));
        else
            EXPECT_TRUE(length > kFirstBlock - 4096 && length < kFirstBlock) << length;
    }
}

}  // namespace
