// The launcher's pure helpers: progress-bar geometry and the installation
// folder taken from the executable's path.
#include <gtest/gtest.h>
#include <limits.h>
#include <string.h>

#include <string>

#include "engine/launcher_state.h"
#include "ui/base_dir.h"
#include "ui/progress_bar.h"

namespace {

struct FillCase {
    int percent;
    int right;
};

TEST(ProgressFillRight, TruncatesAndStaysOnTheTrack) {
    const FillCase cases[] = {
        {0, 20},         {1, 24},   {3, 33},     {50, 250},     {99, 475},
        {100, 480},      {101, 480}, {185, 480}, {INT_MAX, 480}, {-1, 20},
        {-185, 20},      {INT_MIN, 20},
    };
    for (const FillCase& c : cases) {
        EXPECT_EQ(c.right, ProgressFillRight(c.percent)) << "percent " << c.percent;
    }
}

// A module path whose folder part (with its backslash) is `folderLength`
// characters long.
std::string PathWithFolderOf(size_t folderLength) {
    std::string folder = "C:\\";
    folder.append(folderLength - folder.size() - 1, 'a');
    folder += '\\';
    return folder + "MOKPatcher.exe";
}

struct BaseDirCase {
    const char* name;
    std::string modulePath;
    bool derived;
    std::string baseDir;  // expected content of the output either way
};

TEST(DeriveBaseDir, KeepsTheWholeFolderOrNothing) {
    const std::string longest = PathWithFolderOf(kPathSize - 1);
    const std::string tooLong = PathWithFolderOf(kPathSize);
    const BaseDirCase cases[] = {
        {"normal path", "C:\\Games\\MOK\\MOKPatcher.exe", true, "C:\\Games\\MOK\\"},
        {"drive root", "C:\\MOKPatcher.exe", true, "C:\\"},
        {"UNC path", "\\\\server\\share\\MOK\\MOKPatcher.exe", true, "\\\\server\\share\\MOK\\"},
        {"forward slash is not a separator", "C:\\Games/MOK/MOKPatcher.exe", true, "C:\\"},
        {"no backslash", "MOKPatcher.exe", true, ".\\"},
        {"empty path", "", true, ".\\"},
        {"folder of 259 characters", longest, true, longest.substr(0, kPathSize - 1)},
        {"folder of 260 characters", tooLong, false, ""},
        {"very long path", std::string(20000, 'x') + "\\a.exe", false, ""},
    };
    for (const BaseDirCase& c : cases) {
        char out[kPathSize];
        memset(out, 'Z', sizeof(out));
        EXPECT_EQ(c.derived, DeriveBaseDir(c.modulePath.c_str(), out, sizeof(out))) << c.name;
        EXPECT_EQ(c.baseDir, std::string(out)) << c.name;
    }
}

TEST(DeriveBaseDir, CurrentFolderNeedsRoomToo) {
    char small[3];
    EXPECT_TRUE(DeriveBaseDir("MOKPatcher.exe", small, sizeof(small)));
    EXPECT_STREQ(".\\", small);
    char tiny[2] = {'Z', 'Z'};
    EXPECT_FALSE(DeriveBaseDir("MOKPatcher.exe", tiny, sizeof(tiny)));
    EXPECT_EQ('\0', tiny[0]);
}

}  // namespace
