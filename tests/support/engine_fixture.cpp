#include "support/engine_fixture.h"

#include <stdio.h>
#include <string.h>

#include <filesystem>

#include "engine/http_fetch.h"
#include "engine/launcher_state.h"
#include "engine/patch_run.h"
#include "engine/status_board.h"
#include "platform/faults.h"
#include "support/run_support.h"
#include "support/test_support.h"

namespace {

BoardRecorder* g_recorder = nullptr;

void Record(const char* text, int percent, bool textOnly) {
    if (g_recorder) g_recorder->log.push_back({text, percent, textOnly});
}

#ifdef _WIN32
const char kSeparator = '\\';
#else
const char kSeparator = '/';
#endif

std::string Native(std::string path) {
    for (char& c : path)
        if (c == '/' || c == '\\') c = kSeparator;
    return path;
}

void MakeParentFolders(const std::string& path) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
}

std::string TestFolderName() {
    static int serial = 0;
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "-" + info->name() + "-" + std::to_string(++serial);
    for (char& c : name)
        if (!isalnum(static_cast<unsigned char>(c)) && c != '-') c = '-';
    return name;
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const Published& update) {
    return out << '{' << '"' << update.text << "\", " << update.percent << (update.textOnly ? ", text only" : "")
               << '}';
}

BoardRecorder::BoardRecorder() {
    ResetStatusBoard();
    g_recorder = this;
    SetStatusObserver(Record);
}

BoardRecorder::~BoardRecorder() {
    SetStatusObserver(nullptr);
    g_recorder = nullptr;
}

std::vector<std::string> BoardRecorder::Texts() const {
    std::vector<std::string> texts;
    for (const Published& update : log) texts.push_back(update.text);
    return texts;
}

void EngineTest::SetUp() {
    PlatResetFaults();
    installFolder = MakeTempFolder();
    ASSERT_LT(installFolder.size(), sizeof BaseDir);
    strcpy(BaseDir, installFolder.c_str());
    std::string name = TestFolderName();
    serverFolder = Native(DocRoot() + "/mok-patch/" + name + "/");
    std::filesystem::create_directories(serverFolder);
    serverUrl = NginxUrl() + "mok-patch/" + name + "/";
    UseBaseUrl(serverUrl);
    board = new BoardRecorder;
}

void EngineTest::TearDown() {
    delete board;
    board = nullptr;
    EXPECT_EQ(PlatOpenHandleCount(), 0) << "handle log: " << PlatHandleLog();
    PlatResetFaults();
    RemoveTree(installFolder);
    RemoveTree(serverFolder);
}

void EngineTest::Serve(const std::string& relativePath, const std::string& content) {
    std::string path = Native(serverFolder + relativePath);
    MakeParentFolders(path);
    WriteWholeFile(path, content);
}

void EngineTest::ServeGame(const std::vector<std::pair<std::string, std::string>>& files, std::string* manifest) {
    std::string text;
    for (const auto& file : files) {
        Serve(file.first, file.second);
        text += ManifestLine(file.first, file.second);
    }
    Serve("manifest.txt", text);
    if (manifest) *manifest = text;
}

void EngineTest::UseBaseUrl(const std::string& url) {
    ASSERT_LT(url.size(), static_cast<size_t>(kBaseUrlSize));
    strcpy(PatchBaseUrl, url.c_str());
}

std::string EngineTest::Local(const std::string& relativePath) const { return Native(installFolder + relativePath); }

std::string EngineTest::ReadLocal(const std::string& relativePath) const {
    std::string content;
    EXPECT_TRUE(ReadWholeFile(Local(relativePath), &content)) << relativePath;
    return content;
}

void EngineTest::WriteLocal(const std::string& relativePath, const std::string& content) const {
    std::string path = Local(relativePath);
    MakeParentFolders(path);
    WriteWholeFile(path, content);
}

bool EngineTest::FileExistsAt(const std::string& path) { return FileExists(path); }

void PatchRunFixture::SetUp() {
    EngineTest::SetUp();
    SetRuntimeRegistryValue(true, 1);
    StartCountingDone();
}

void PatchRunFixture::TearDown() {
    SetRuntimeRegistryValue(false, 0);
    EngineTest::TearDown();
}

void PatchRunFixture::RunPatch() {
    board->log.clear();
    EXPECT_EQ(PatchRun(nullptr), 0u);
    EXPECT_TRUE(IsBoardReady());
    EXPECT_EQ(DoneCount(), 1) << "the done notification is sent exactly once";
    ResetStatusBoard();
}

std::string ManifestLine(const std::string& path, const std::string& content) {
    return path + "|" + std::to_string(content.size()) + "|" + Sha1Hex(content) + "\n";
}

std::string PatternBytes(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    unsigned state = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<char>(state >> 16);
    }
    return bytes;
}
