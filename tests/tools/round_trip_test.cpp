// The generator's output served by the local nginx and installed by the
// patch run, as a studio would ship it.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/file_check.h"
#include "engine/launcher_state.h"
#include "engine/manifest.h"
#include "engine/patch_run.h"
#include "engine/status_board.h"
#include "support/engine_fixture.h"
#include "support/test_support.h"
#include "tool_test_support.h"
#include "tools/generate.h"
#include "tools/verify.h"

namespace {

const char kDone[] = "File lengkap & terbaru. Siap dimainkan!";

class ShippedBuildTest : public PatchRunFixture {
protected:
    void SetUp() override {
        PatchRunFixture::SetUp();
        buildFolder = MakeTempFolder();
    }
    void TearDown() override {
        RemoveTree(buildFolder);
        PatchRunFixture::TearDown();
    }
    // Adds `tree` to the build, generates into the server's folder and
    // uploads the game files beside the outputs.
    GenerateOutcome Publish(const Tree& tree, const std::string& label, size_t installFolderLength = kShortestBaseDir) {
        WriteTree(buildFolder, tree);
        for (const auto& file : tree) Serve(file.first, file.second);
        GenerateRequest request = {buildFolder, label, serverFolder, {}, installFolderLength, false};
        return GenerateManifest(request, &report);
    }
    std::string LastText() const { return board->log.empty() ? std::string() : board->log.back().text; }
    std::vector<std::string> Downloads() const {
        std::vector<std::string> paths;
        for (const std::string& text : board->Texts())
            if (text.rfind("Mengunduh: ", 0) == 0) paths.push_back(text.substr(strlen("Mengunduh: ")));
        return paths;
    }
    std::vector<std::string> VerifyInstall() {
        VerifyRequest request = {installFolder, NativeIn(serverFolder, "manifest.txt"), false, false};
        VerifyReport verified;
        EXPECT_TRUE(VerifyFolder(request, &verified)) << verified.error;
        std::vector<std::string> paths;
        for (const Difference& difference : verified.differences) paths.push_back(difference.relativePath);
        return paths;
    }

    std::string buildFolder;  // short, so that Windows can open its longest paths
    GenerateReport report;
};

Tree Game() {
    return {{"MOK.exe", PatternBytes(300000, 1)},
            {"data/maps/level 1+2.map", PatternBytes(2500000, 2)},
            {"data/sound/a.wav", PatternBytes(70000, 3)},
            {"data/empty.txt", ""},
            {"_Runtime/readme.txt", "runtime notes"},
            {"big.pak", PatternBytes(static_cast<size_t>(kHashSizeLimit) + 4096, 4)}};
}

// Every file below `folder`, '/'-separated, sorted.
void ListFiles(const std::string& folder, const std::string& prefix, std::vector<std::string>* files) {
    for (const std::string& name : FolderNames(NativeIn(folder, prefix))) {
        std::string relative = prefix + name;
        if (FileExists(NativeIn(folder, relative)))
            files->push_back(relative);
        else
            ListFiles(folder, relative + "/", files);
    }
}

TEST_F(ShippedBuildTest, InstallsAnEmptyFolderByteForByteThenFindsItCurrent) {
    Tree game = Game();
    ASSERT_EQ(Publish(game, "1.0"), Generated) << Describe(report);
    RunPatch();
    EXPECT_EQ(LastText(), "Update selesai (6 file). Siap dimainkan!");
    std::vector<std::string> expected = {"MOK_patch.state"};
    for (const auto& file : game) {
        expected.push_back(file.first);
        EXPECT_TRUE(ReadLocal(file.first) == file.second) << file.first;
    }
    std::sort(expected.begin(), expected.end());
    std::vector<std::string> installed;
    ListFiles(installFolder, "", &installed);
    EXPECT_EQ(installed, expected);
    EXPECT_EQ(ReadLocal("MOK_patch.state"), "1.0");

    RunPatch();
    EXPECT_EQ(LastText(), kDone);
    EXPECT_EQ(Downloads(), std::vector<std::string>{});
    EXPECT_EQ(VerifyInstall(), std::vector<std::string>{});
}

TEST_F(ShippedBuildTest, VerifyReportsWhatThePatchRunFetchesOnANewVersion) {
    Tree game = Game();
    ASSERT_EQ(Publish(game, "1.0"), Generated) << Describe(report);
    RunPatch();
    ASSERT_EQ(LastText(), "Update selesai (6 file). Siap dimainkan!");

    remove(Local("data/sound/a.wav").c_str());
    WriteLocal("MOK.exe", game[0].second.substr(0, 1000));
    std::string changed = game[1].second;
    changed[2000000] ^= 1;
    WriteLocal("data/maps/level 1+2.map", changed);
    std::string big = game[5].second;
    big[100] ^= 1;
    WriteLocal("big.pak", big);  // trusted by its size

    std::vector<std::string> damaged = {"MOK.exe", "data/maps/level 1+2.map", "data/sound/a.wav"};
    EXPECT_EQ(VerifyInstall(), damaged);
    ASSERT_EQ(Publish({}, "1.1"), Generated) << Describe(report);
    RunPatch();
    EXPECT_EQ(Downloads(), damaged);
    EXPECT_EQ(LastText(), "Update selesai (3 file). Siap dimainkan!");
    EXPECT_EQ(VerifyInstall(), std::vector<std::string>{});
}

TEST_F(ShippedBuildTest, TheLongestAcceptedPathInstallsAndOneMoreCharacterIsRefused) {
    const size_t folderLength = installFolder.size();
    const size_t longest = BaseDirRoom("") - folderLength;
    const std::string fits = "d/" + std::string(longest - 2, 'n');
    ASSERT_EQ(Publish({{fits, "fits"}}, "1", folderLength), Generated) << Describe(report);
    EXPECT_EQ(report.installFolderRoom, folderLength);
    RunPatch();
    EXPECT_EQ(LastText(), "Update selesai (1 file). Siap dimainkan!");
    EXPECT_EQ(ReadLocal(fits), "fits");

    const std::string tooLong = fits + "n";
    EXPECT_EQ(Publish({{tooLong, "too long"}}, "2", folderLength), Refused);
    ASSERT_EQ(report.refusals.size(), 1u);
    EXPECT_EQ(report.refusals[0].reason, RefusedPathTooLong);
    // What the patch run does with it when a hand-made manifest lists it.
    Serve("manifest.txt", ManifestLine(tooLong, "too long"));
    Serve("version.txt", "2");
    RunPatch();
    EXPECT_EQ(LastText(), "Selesai, tapi 1 file gagal. Klik MAIN/ulang.");
}

}  // namespace
