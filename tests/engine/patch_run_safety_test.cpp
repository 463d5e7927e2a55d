#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/launcher_state.h"
#include "engine/patch_run.h"
#include "engine/status_board.h"
#include "platform/faults.h"
#include "support/engine_fixture.h"
#include "support/run_support.h"
#include "support/test_support.h"

namespace {

const char kState[] = "MOK_patch.state";

class PatchSafetyTest : public PatchRunFixture {
protected:
    void SetUp() override {
        PatchRunFixture::SetUp();
        ServeVersion("5");
        ServeGame({{"ok.txt", "fine"}});
        WriteLocal("ok.txt", "fine");
        WriteLocal(kState, "5");
    }
    std::vector<std::string> Texts() const { return board->Texts(); }
};

// Every file below `folder` with its content.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        std::string content;
        if (entry.is_regular_file()) ReadWholeFile(entry.path().string(), &content);
        files[entry.path().string()] = entry.is_directory() ? "<folder>" : content;
    }
    return files;
}

TEST_F(PatchSafetyTest, HostilePathsTouchNothingAndCountAsFailed) {
    // The installation is a folder inside the test's folder, so a path that
    // escapes it lands where the snapshot sees it.
    const std::string parent = installFolder;
    const std::string game = installFolder + "game" + parent.back();
    std::filesystem::create_directories(game);
    std::filesystem::copy_file(Local("ok.txt"), game + "ok.txt");
    std::filesystem::copy_file(Local(kState), game + kState);
    strcpy(BaseDir, game.c_str());
    SetRuntimeRegistryValue(true, 1);

    const std::string tooLong(259 - game.size() + 1, 'L');  // the local path would need 260 characters
    const char* const hostile[] = {
        "../evil.txt", "..\\evil.txt", "sub/../../evil.txt", "..", "/tmp/evil.txt", "\\evil.txt",
        "C:\\evil.txt", "C:evil.txt", "\\\\localhost\\share\\evil.txt", "//localhost/share/evil.txt",
        "ok.txt:stream", "CON", "nul.txt", "data/COM1.dat", "LPT9", "bad\x01name", "tab\there", "sub/\x1f",
        tooLong.c_str(),
    };
    const std::string sha = Sha1Hex("x");
    for (const char* path : hostile) {
        SCOPED_TRACE(path);
        Serve("manifest.txt", std::string(path) + "|1|" + sha + "\nok.txt|4|" + Sha1Hex("fine") + "\n");
        const auto before = Snapshot(parent);
        PlatResetFaults();
        RunPatch();
        EXPECT_EQ(Texts().back(), "Selesai, tapi 1 file gagal. Klik MAIN/ulang.");
        EXPECT_EQ(Snapshot(parent), before);
        EXPECT_EQ(PlatCallCount(PlatOpFileInfo), 1) << "only ok.txt is looked at";
        EXPECT_EQ(PlatCallCount(PlatOpOpenForRead), 1) << "only the state file is read";
        EXPECT_EQ(PlatCallCount(PlatOpCreateForWrite), 0);
        EXPECT_EQ(PlatCallCount(PlatOpCreateDirectory), 0);
        EXPECT_EQ(PlatCallCount(PlatOpHttpSession), 2) << "nothing is downloaded";
    }
}

TEST_F(PatchSafetyTest, RuntimeIsInstalledOnlyWhenMissingAndShipped) {
    const std::string installer = "_Runtime/vc_redist.x86.exe";
    struct Case {
        const char* name;
        bool keyPresent;
        unsigned installed;
        enum { None, File, Folder } shipped;
        bool started;
    } const cases[] = {
        {"installed, installer shipped", true, 1, Case::File, false},
        {"key missing, nothing shipped", false, 0, Case::None, false},
        {"key missing, a folder of that name", false, 0, Case::Folder, false},
        {"not installed, installer shipped", true, 0, Case::File, true},
        {"other value, installer shipped", true, 2, Case::File, true},
        {"key missing, installer shipped", false, 0, Case::File, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveTree(Local("_Runtime"));
        SetRuntimeRegistryValue(c.keyPresent, c.installed);
        if (c.shipped == Case::Folder) std::filesystem::create_directories(Local(installer));
        if (c.shipped == Case::File) {
            WriteLocal(installer, "");
            InstallFakeInstaller(Local(installer));
        }
        RunPatch();
        std::vector<std::string> expected = {"Mengecek versi server...", "Mengecek file game..."};
        if (c.started) expected.push_back("Memasang Visual C++ Redist...");
        expected.push_back("File lengkap & terbaru. Siap dimainkan!");
        EXPECT_EQ(Texts(), expected);
        if (c.started) {
            EXPECT_EQ(board->log[2].percent, 98);
        }
        std::string record;
        EXPECT_EQ(ReadWholeFile(Local(installer) + ".ran", &record), c.started);
        if (c.started) {
            EXPECT_EQ(record.substr(0, record.find('\n')), "/install /quiet /norestart");
        }
        EXPECT_EQ(PlatOpenHandleCount(), 0);
    }
}

}  // namespace
