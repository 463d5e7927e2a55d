#include "tools/generate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/manifest.h"
#include "platform/faults.h"
#include "support/engine_fixture.h"
#include "support/test_support.h"
#include "tool_test_support.h"
#include "tools/command_line.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

typedef ToolTest GenerateTest;

TEST_F(GenerateTest, WritesOneLinePerFileInByteOrderOfTheWholePath) {
    // Folder by folder would put "a/b" first; byte order of the whole path
    // puts it between "a.b" ('.' 0x2E) and "a0" ('0' 0x30).
    Tree tree = {{"a0", "zero"},
                 {"a/b", PatternBytes(2500000, 1)},  // more than two read chunks
                 {"a.b", ""},
                 {"a-b", "dash"},
                 {"B", "upper case sorts first"},
                 {"a/c/d e+f.pak", PatternBytes(70000, 2)}};
    WriteTree(buildFolder, tree);
    ASSERT_EQ(Generate("2024.05 build 7"), Generated) << Describe(report);
    std::string order;
    for (const char* path : {"B", "a-b", "a.b", "a/b", "a/c/d e+f.pak", "a0"}) {
        auto file = std::find_if(tree.begin(), tree.end(), [&](const auto& f) { return f.first == path; });
        order += ManifestLine(file->first, file->second);
    }
    EXPECT_EQ(Output("manifest.txt"), order);
    EXPECT_EQ(Output("version.txt"), "2024.05 build 7\n");
    EXPECT_EQ(FolderNames(outFolder), (std::vector<std::string>{"manifest.txt", "version.txt"}));
    EXPECT_EQ(report.files, 6);
    EXPECT_EQ(report.bytes, 2500000 + 70000 + 4 + 0 + 4 + 22);
    EXPECT_EQ(report.installFolderRoom, 259u - 8 - 13);  // "a/c/d e+f.pak" is the longest
}

TEST_F(GenerateTest, OutputIsTheSameWhateverOrderTheFilesWereCreatedIn) {
    Tree tree;
    for (int i = 0; i < 40; ++i)
        tree.push_back({"d" + std::to_string(i % 5) + "/f" + std::to_string(i), PatternBytes(100 + i, i)});
    WriteTree(buildFolder, tree);
    ASSERT_EQ(Generate(), Generated) << Describe(report);
    std::string first = Output("manifest.txt");
    EXPECT_EQ(first, ExpectedManifest(tree));

    std::string otherBuild = MakeTempFolder();
    std::string otherOut = MakeTempFolder();
    std::reverse(tree.begin(), tree.end());
    WriteTree(otherBuild, tree);
    request.buildFolder = otherBuild;
    request.outFolder = otherOut;
    ASSERT_EQ(Generate(), Generated) << Describe(report);
    EXPECT_TRUE(ReadOrEmpty(NativeIn(otherOut, "manifest.txt")) == first);
    RemoveTree(otherBuild);
    RemoveTree(otherOut);
}

struct RefusedName {
    const char* name;  // the file that must be refused
    RefusalReason reason;
    const char* alsoRefused;  // its partner in a clash, or null
    bool posixOnly;           // Windows cannot create it
};

const RefusedName kRefusedNames[] = {
    {"a|b.dat", RefusedBar, nullptr, true},
    {"line\nbreak.dat", RefusedLineBreak, nullptr, true},
    {"carriage\rreturn.dat", RefusedLineBreak, nullptr, true},
    {"tab\there.dat", RefusedControlByte, nullptr, true},
    {"del\x7fhere.dat", RefusedControlByte, nullptr, true},
    {"data/CON", RefusedUnsafePath, nullptr, true},
    {"lpt1.txt", RefusedUnsafePath, nullptr, true},
    {"aux .dat", RefusedUnsafePath, nullptr, true},
    {"c:olon.dat", RefusedUnsafePath, nullptr, true},
    {"dots/...", RefusedUnsafePath, nullptr, true},
    {"data/x.mokpart", RefusedTempSuffix, nullptr, false},
    {"X.MOKPART", RefusedTempSuffix, nullptr, false},
    {"manifest.txt", RefusedServedName, nullptr, false},
    {"Version.TXT", RefusedServedName, nullptr, false},
#ifdef _WIN32
    {"caf\xe9.txt", RefusedNotAscii, nullptr, false},  // Windows-1252, as FindFirstFileA gives it back
#else
    {"caf\xc3\xa9.txt", RefusedNotAscii, nullptr, true},
#endif
    {"back\\slash.dat", RefusedWindowsCharacter, nullptr, true},
    {"what?.dat", RefusedWindowsCharacter, nullptr, true},
    {"star*.dat", RefusedWindowsCharacter, nullptr, true},
    {"angle<d>.dat", RefusedWindowsCharacter, nullptr, true},
    {"trailing.", RefusedTrailingDotOrSpace, nullptr, true},
    {"folder./x.dat", RefusedTrailingDotOrSpace, nullptr, true},
    {"space ", RefusedTrailingDotOrSpace, nullptr, true},
    {"Readme.TXT", RefusedCaseClash, "readme.txt", true},
    {"Maps", RefusedCaseClash, "maps/level.map", true},
};

#ifndef _WIN32
// A path of `length` characters: short folders, then one long name.
std::string PathOfLength(size_t length, const std::string& folders) {
    return folders + std::string(length - folders.size(), 'n');
}
#endif

TEST_F(GenerateTest, RefusesWhatThePatchRunCouldNotInstallAndWritesNothing) {
    std::vector<RefusedName> cases(std::begin(kRefusedNames), std::end(kRefusedNames));
#ifndef _WIN32
    // 248 = 259 - ".mokpart" - "C:\" is the longest; a folder path may be 244 = 247 - "C:\".
    std::string longest = PathOfLength(248, "d/");
    std::string tooLong = PathOfLength(249, "d/");
    std::string longFolder = PathOfLength(245, "f/") + "/x";
    std::string urlTooLong = std::string(250, '+') + "/" + std::string(250, '+') + "/" + std::string(250, '+');
    cases.push_back({tooLong.c_str(), RefusedPathTooLong, nullptr, true});
    cases.push_back({longFolder.c_str(), RefusedPathTooLong, nullptr, true});
    cases.push_back({urlTooLong.c_str(), RefusedUrlTooLong, nullptr, true});
#endif
    for (const RefusedName& c : cases) {
#ifdef _WIN32
        if (c.posixOnly) continue;
#endif
        SCOPED_TRACE(c.name);
        RemoveTree(buildFolder);
        RemoveTree(outFolder);
        buildFolder = request.buildFolder = MakeTempFolder();
        outFolder = request.outFolder = MakeTempFolder();
        Put("good.dat", "fine");
        Put(c.name, "refused");
        if (c.alsoRefused) Put(c.alsoRefused, "its partner");
        EXPECT_EQ(Generate(), Refused);
        std::vector<std::string> refused;
        for (const Refusal& refusal : report.refusals) {
            refused.push_back(refusal.relativePath);
            EXPECT_EQ(refusal.reason, c.reason) << refusal.relativePath;
        }
        std::vector<std::string> expected = {c.name};
        if (c.alsoRefused) expected.push_back(c.alsoRefused);
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(refused, expected);
        EXPECT_EQ(FolderNames(outFolder), std::vector<std::string>{}) << "nothing is written";
    }
#ifndef _WIN32
    RemoveTree(buildFolder);
    buildFolder = request.buildFolder = MakeTempFolder();
    Put(longest, "fits C:\\ exactly");
    EXPECT_EQ(Generate(), Generated) << Describe(report);
    EXPECT_EQ(report.installFolderRoom, kShortestBaseDir);
#endif
}

TEST_F(GenerateTest, RefusesALabelThePatchRunWouldNotReadBack) {
    Put("a", "a");
    for (std::string label : {std::string(), std::string("1.0\n"), std::string("1.0\r"), std::string("a\tb"),
                              std::string(128, 'v')}) {
        SCOPED_TRACE(label);
        EXPECT_EQ(Generate(label), Refused);
        EXPECT_FALSE(report.error.empty());
        EXPECT_EQ(FolderNames(outFolder), std::vector<std::string>{});
    }
    EXPECT_EQ(Generate(std::string(127, 'v')), Generated) << Describe(report);
}

TEST_F(GenerateTest, LeavesOutThePatcherItsStateAndTheStudiosPatterns) {
    std::string patterns = NativeIn(outFolder, "ignore.txt");
    WriteWholeFile(patterns,
                   "# debugging leftovers\n"
                   "*.pdb\r\n"
                   "\n"
                   "/logs/\n"
                   "cache/\n"
                   "saves/*.sav\n"
                   "**/shots/shot??.png\n");
    Tree served = {{"MOK.exe", "game"},
                   {"tools/MOKPatcher.exe", "only the top one is the patcher"},
                   {"data/logs/keep.txt", "anchored at the top only"},
                   {"saves/nested/slot.sav", "'*' stays within one folder"},
                   {"shots/shot100.png", "'?' is one character"},
                   {"data/cache", "a file, not a folder"}};
    WriteTree(buildFolder, served);
    for (const char* left : {"MOKPatcher.exe", "MOK_patch.state", "MOK.pdb", "data/SYMBOLS.PDB", "logs/run.log",
                             "more/cache/x.bin", "cache/y/z.bin", "saves/slot1.sav", "shots/shot01.png",
                             "a/b/shots/shot02.png"})
        Put(left, "left out");
    request.ignoreFiles = {patterns};
    ASSERT_EQ(Generate(), Generated) << Describe(report);
    EXPECT_EQ(Output("manifest.txt"), ExpectedManifest(served));
}

TEST_F(GenerateTest, IgnoredFilesAreNotRefused) {
    Put("MOK.exe", "game");
    Put("old/x.mokpart", "a download cut short on the build machine");
    std::string patterns = NativeIn(outFolder, "ignore.txt");
    WriteWholeFile(patterns, "*.mokpart\n");
    request.ignoreFiles = {patterns};
    ASSERT_EQ(Generate(), Generated) << Describe(report);
    EXPECT_EQ(Output("manifest.txt"), ManifestLine("MOK.exe", "game"));
}

TEST_F(GenerateTest, EarlierOutputsInTheBuildFolderAreNotGameFiles) {
    Tree tree = {{"MOK.exe", "game"}, {"data/a.pak", "a"}};
    WriteTree(buildFolder, tree);
    request.outFolder = buildFolder;
    ASSERT_EQ(Generate("1"), Generated) << Describe(report);
    ASSERT_EQ(Generate("2"), Generated) << Describe(report);
    EXPECT_EQ(ReadOrEmpty(NativeIn(buildFolder, "manifest.txt")), ExpectedManifest(tree));
    EXPECT_EQ(ReadOrEmpty(NativeIn(buildFolder, "version.txt")), "2\n");
}

TEST_F(GenerateTest, AFailureKeepsTheEarlierOutputsWhole) {
    Put("a", "a");
    Put("b", "b");
    WriteWholeFile(NativeIn(outFolder, "manifest.txt"), "earlier manifest\n");
    WriteWholeFile(NativeIn(outFolder, "version.txt"), "0.9\n");
    struct Case {
        const char* name;
        PlatOp op;
        int nth;
        GenerateOutcome outcome;
    } const cases[] = {
        {"a file cannot be read", PlatOpReadFile, 2, Refused},
        {"the hash provider fails", PlatOpHashContext, 1, GenerateFailed},
        {"manifest cannot be created", PlatOpCreateForWrite, 1, GenerateFailed},
        {"manifest written short", PlatOpShortWrite, 1, GenerateFailed},
        {"manifest write fails", PlatOpWriteFile, 1, GenerateFailed},
        {"label cannot be created", PlatOpCreateForWrite, 2, GenerateFailed},
        {"manifest cannot be renamed", PlatOpReplaceFile, 1, GenerateFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlatResetFaults();
        PlatFailCall(c.op, c.nth);
        EXPECT_EQ(Generate(), c.outcome);
        EXPECT_EQ(Output("manifest.txt"), "earlier manifest\n");
        EXPECT_EQ(Output("version.txt"), "0.9\n");
        EXPECT_EQ(FolderNames(outFolder), (std::vector<std::string>{"manifest.txt", "version.txt"}));
        EXPECT_EQ(PlatOpenHandleCount(), 0) << PlatHandleLog();
    }
}

TEST_F(GenerateTest, ARequestThatCannotBeMetWritesNothing) {
    struct Case {
        const char* name;
        std::string build;
        std::vector<std::string> ignoreFiles;
    } const cases[] = {
        {"empty build folder", buildFolder, {}},
        {"missing build folder", NativeIn(buildFolder, "missing"), {}},
        {"missing ignore file", buildFolder, {NativeIn(buildFolder, "missing.txt")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        request.buildFolder = c.build;
        request.ignoreFiles = c.ignoreFiles;
        EXPECT_EQ(Generate(), GenerateFailed);
        EXPECT_FALSE(report.error.empty());
        EXPECT_EQ(FolderNames(outFolder), std::vector<std::string>{});
    }
}

#ifndef _WIN32
TEST_F(GenerateTest, LinksAreFollowedOnlyToFilesInsideTheBuildFolder) {
    std::string outside = MakeTempFolder();
    WriteWholeFile(NativeIn(outside, "secret.txt"), "not the game's");
    Put("data/real.pak", "shared content");
    Put("MOK.exe", "game");
    ASSERT_EQ(symlink("real.pak", NativeIn(buildFolder, "data/alias.pak").c_str()), 0);
    ASSERT_EQ(Generate(), Generated) << Describe(report);
    EXPECT_EQ(Output("manifest.txt"), ExpectedManifest({{"MOK.exe", "game"},
                                                        {"data/alias.pak", "shared content"},
                                                        {"data/real.pak", "shared content"}}));

    struct Case {
        const char* link;
        std::string target;
        RefusalReason reason;
    } const cases[] = {
        {"out.txt", NativeIn(outside, "secret.txt"), RefusedLinkOutside},
        {"up.txt", "../" + outside.substr(outside.find_last_of('/', outside.size() - 2) + 1) + "secret.txt",
         RefusedLinkOutside},
        {"folder", "data", RefusedLinkToFolder},
        {"loop", buildFolder, RefusedLinkToFolder},
        {"gone.txt", "nothing-here", RefusedLinkBroken},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link);
        std::string link = NativeIn(buildFolder, c.link);
        ASSERT_EQ(symlink(c.target.c_str(), link.c_str()), 0);
        RemoveTree(outFolder);
        outFolder = request.outFolder = MakeTempFolder();
        EXPECT_EQ(Generate(), Refused);
        ASSERT_EQ(report.refusals.size(), 1u);
        EXPECT_EQ(report.refusals[0].relativePath, c.link);
        EXPECT_EQ(report.refusals[0].reason, c.reason);
        EXPECT_EQ(FolderNames(outFolder), std::vector<std::string>{});
        unlink(link.c_str());
    }
    ASSERT_EQ(mkfifo(NativeIn(buildFolder, "pipe").c_str(), 0600), 0);
    EXPECT_EQ(Generate(), Refused);
    ASSERT_EQ(report.refusals.size(), 1u);
    EXPECT_EQ(report.refusals[0].reason, RefusedNotRegularFile);
    RemoveTree(outside);
}
#endif

TEST_F(GenerateTest, CommandLineExitStatus) {
    Put("MOK.exe", "game");
    std::string manifest = NativeIn(outFolder, "manifest.txt");
    struct Case {
        std::vector<std::string> arguments;
        int exitStatus;
    } const cases[] = {
        {{}, ToolMisused},
        {{buildFolder}, ToolMisused},
        {{"--bogus", buildFolder, "1"}, ToolMisused},
        {{buildFolder, "1", "--out"}, ToolMisused},
        {{"--install-folder", "2", buildFolder, "1"}, ToolMisused},
        {{"--full", buildFolder, "1"}, ToolMisused},
        {{buildFolder, "", "--out", outFolder}, ToolFoundProblems},
        {{"--install-folder", "40", buildFolder, "1", "--out", outFolder}, ToolDone},
        {{"verify", buildFolder, manifest}, ToolDone},
        {{"verify", "--full", buildFolder, manifest}, ToolDone},
        {{"verify", buildFolder}, ToolMisused},  // no manifest.txt there
        {{"verify", outFolder, manifest}, ToolFoundProblems},
    };
    for (const Case& c : cases) {
        std::vector<char*> argv = {const_cast<char*>("mok-manifest")};
        std::string shown;
        for (const std::string& argument : c.arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
            shown += " " + argument;
        }
        SCOPED_TRACE(shown);
        EXPECT_EQ(RunManifestTool(static_cast<int>(argv.size()), argv.data()), c.exitStatus);
    }
}

}  // namespace
