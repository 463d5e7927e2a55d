// A clean stage for engine tests: an empty installation folder as BaseDir,
// a folder of its own on the local patch server, the board's updates
// recorded in order, and a check that every platform handle was closed.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

struct Published {
    std::string text;
    int percent;
    bool textOnly;
    bool operator==(const Published& other) const {
        return text == other.text && percent == other.percent && textOnly == other.textOnly;
    }
};
std::ostream& operator<<(std::ostream& out, const Published& update);

// Records every board update while it lives; starts from the initial board.
struct BoardRecorder {
    BoardRecorder();
    ~BoardRecorder();
    std::vector<std::string> Texts() const;
    std::vector<Published> log;
};

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes `content` as `relativePath` ('/'-separated) below this test's
    // server folder, served at PatchBaseUrl.
    void Serve(const std::string& relativePath, const std::string& content);
    void ServeVersion(const std::string& label) { Serve("version.txt", label); }
    // "path|size|sha1\n" for each (path, content), and the content itself.
    void ServeGame(const std::vector<std::pair<std::string, std::string>>& files,
                   std::string* manifest = nullptr);
    // Points PatchBaseUrl somewhere else (a fault endpoint, a closed port).
    void UseBaseUrl(const std::string& url);

    std::string Local(const std::string& relativePath) const;  // below the installation folder
    std::string ReadLocal(const std::string& relativePath) const;
    bool LocalExists(const std::string& relativePath) const { return FileExistsAt(Local(relativePath)); }
    void WriteLocal(const std::string& relativePath, const std::string& content) const;
    static bool FileExistsAt(const std::string& path);

    std::string installFolder;  // with a trailing separator; BaseDir
    std::string serverFolder;   // on disk, with a trailing separator
    std::string serverUrl;      // its URL, ending with '/'
    BoardRecorder* board = nullptr;
};

// An EngineTest for whole patch runs: the runtime reads as installed, and
// the done notifications are counted.
class PatchRunFixture : public EngineTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Runs PatchRun on this thread as the worker would, with the recorded
    // updates cleared first; checks that it ends ready with exactly one done
    // notification, then resets the board for the next run.
    void RunPatch();
};

std::string ManifestLine(const std::string& path, const std::string& content);
std::string PatternBytes(size_t size, unsigned seed = 1);
