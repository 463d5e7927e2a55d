#include "engine/patch_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "engine/launcher_state.h"
#include "engine/status_board.h"
#include "platform/faults.h"
#include "support/engine_fixture.h"
#include "support/run_support.h"
#include "support/test_support.h"

namespace {

typedef std::vector<std::pair<std::string, std::string>> Files;
const char kState[] = "MOK_patch.state";

class PatchRunTest : public PatchRunFixture {
protected:
    void InstallLocally(const Files& files) {
        for (const auto& file : files) WriteLocal(file.first, file.second);
    }
    Published Last() const { return board->log.empty() ? Published{} : board->log.back(); }
};

// A manifest line without its line end.
std::string Entry(const std::string& path, const std::string& content) {
    std::string line = ManifestLine(path, content);
    line.pop_back();
    return line;
}

Files SmallGame() {
    return {{"MOK.exe", PatternBytes(3000, 1)},
            {"data/maps/level1.map", PatternBytes(70000, 2)},
            {"data/sound/a b+c.wav", PatternBytes(10, 3)}};
}

TEST_F(PatchRunTest, FreshInstallFetchesEverythingThenASecondRunFindsItCurrent) {
    ServeVersion("1.0\r\n");
    ServeGame(SmallGame());
    RunPatch();
    EXPECT_EQ(board->log, (std::vector<Published>{
                              {"Mengecek versi server...", 3, false},
                              {"Mengecek file game...", 5, false},
                              {"Mengunduh: MOK.exe", 35, false},
                              {"Mengunduh: data/maps/level1.map", 65, false},
                              {"Mengunduh: data/sound/a b+c.wav", 95, false},
                              {"Update selesai (3 file). Siap dimainkan!", 100, false},
                          }));
    for (const auto& file : SmallGame()) EXPECT_TRUE(ReadLocal(file.first) == file.second) << file.first;
    EXPECT_EQ(ReadLocal(kState), "1.0");

    PlatResetFaults();
    RunPatch();
    EXPECT_EQ(Last(), (Published{"File lengkap & terbaru. Siap dimainkan!", 100, false}));
    EXPECT_EQ(PlatCallCount(PlatOpOpenForRead), 1) << "only the state file is read when versions are equal";
    EXPECT_EQ(PlatCallCount(PlatOpHttpSession), 2) << "version and manifest, no download";
}

TEST_F(PatchRunTest, SixteenCurrentEntriesMoveTheBarEveryEighth) {
    Files files;
    for (int i = 0; i < 16; ++i) files.push_back({"f" + std::to_string(i), PatternBytes(100, i)});
    ServeVersion("7");
    ServeGame(files);
    InstallLocally(files);
    WriteLocal(kState, "7");
    RunPatch();
    EXPECT_EQ(board->log, (std::vector<Published>{
                              {"Mengecek versi server...", 3, false},
                              {"Mengecek file game...", 5, false},
                              {"Memeriksa file... (8/16)", 50, false},
                              {"Memeriksa file... (16/16)", 95, false},
                              {"File lengkap & terbaru. Siap dimainkan!", 100, false},
                          }));
}

TEST_F(PatchRunTest, PercentFollowsTheLineFeedCountUnclamped) {
    const std::string a = "first", b = "second";
    Serve("a", a);
    Serve("b", b);
    ServeVersion("1");
    struct Case {
        const char* name;
        std::string manifest;
        std::vector<Published> downloads;
    } const cases[] = {
        {"no LF after the last of two", ManifestLine("a", a) + Entry("b", b),
         {{"Mengunduh: b", 185, false}}},
        {"CR-only line ends",
         Entry("a", a) + "\r" + Entry("b", b) + "\r",
         {{"Mengunduh: a", 95, false}, {"Mengunduh: b", 185, false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        remove(Local("a").c_str());
        remove(Local("b").c_str());
        if (c.downloads.size() == 1) WriteLocal("a", a);
        Serve("manifest.txt", c.manifest);
        RunPatch();
        std::vector<Published> downloads;
        for (const Published& update : board->log)
            if (update.text.rfind("Mengunduh: ", 0) == 0) downloads.push_back(update);
        EXPECT_EQ(downloads, c.downloads);
        EXPECT_EQ(ReadLocal("b"), b);
    }
}

TEST_F(PatchRunTest, OddManifestsEndAsTheirEntriesDecide) {
    ServeVersion("2");
    Serve("letters.txt", "");
    struct Case {
        const char* name;
        std::string manifest;
        Published end;
        bool stateWritten;
    } const cases[] = {
        {"only line ends", "\r\n\r\n\n", {"File lengkap & terbaru. Siap dimainkan!", 100, false}, true},
        {"a single '|' is no entry", "lonely|12\n", {"File lengkap & terbaru. Siap dimainkan!", 100, false}, true},
        {"size of letters reads as 0", "letters.txt|abc|" + Sha1Hex("") + "\n",
         {"Update selesai (1 file). Siap dimainkan!", 100, false}, true},
        {"empty path fails", "|0|" + Sha1Hex("") + "\n", {"Selesai, tapi 1 file gagal. Klik MAIN/ulang.", 100, false},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteLocal(kState, "1");
        remove(Local("letters.txt").c_str());
        Serve("manifest.txt", c.manifest);
        RunPatch();
        EXPECT_EQ(Last(), c.end);
        EXPECT_EQ(ReadLocal(kState), c.stateWritten ? "2" : "1");
    }
}

TEST_F(PatchRunTest, OneFailedDownloadOfFourKeepsTheStateFile) {
    Files files = SmallGame();
    files.push_back({"broken.pak", "served content"});
    std::string manifest;
    ServeVersion("2");
    ServeGame(files, &manifest);
    Serve("broken.pak", "served content, but not what the manifest says");
    WriteLocal(kState, "1");
    RunPatch();
    EXPECT_EQ(Last(), (Published{"Selesai, tapi 1 file gagal. Klik MAIN/ulang.", 100, false}));
    EXPECT_EQ(ReadLocal(kState), "1");
    EXPECT_FALSE(LocalExists("broken.pak"));
    EXPECT_EQ(ReadLocal("MOK.exe"), files[0].second);
}

TEST_F(PatchRunTest, UnavailableManifestOrServerEndsEarly) {
    ServeVersion("2");
    Serve("manifest.txt", "");
    WriteLocal(kState, "1");
    struct Case {
        const char* name;
        std::string base;
        std::vector<Published> log;
    } const cases[] = {
        {"manifest answered with 404", NginxUrl() + "mok-patch/404-manifest/",
         {{"Mengecek versi server...", 3, false},
          {"Mengecek file game...", 5, false},
          {"Gagal ambil daftar file.", 100, false}}},
        {"empty manifest", serverUrl,
         {{"Mengecek versi server...", 3, false},
          {"Mengecek file game...", 5, false},
          {"Gagal ambil daftar file.", 100, false}}},
        {"server offline", ClosedPortUrl(),
         {{"Mengecek versi server...", 3, false}, {"Server offline. Cek koneksi internet.", 100, false}}},
    };
    std::string folder = DocRoot() + "/mok-patch/404-manifest/";
    std::filesystem::create_directories(folder);
    WriteWholeFile(folder + "version.txt", "2");
    SetRuntimeRegistryValue(false, 0);
    WriteLocal("_Runtime/vc_redist.x86.exe", "");
    InstallFakeInstaller(Local("_Runtime/vc_redist.x86.exe"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UseBaseUrl(c.base);
        RunPatch();
        EXPECT_EQ(board->log, c.log) << "nothing else is published, and the runtime is left alone";
        EXPECT_EQ(ReadLocal(kState), "1");
    }
    RemoveTree(folder);
}

}  // namespace
