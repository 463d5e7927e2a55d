#include "tools/ignore_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(IgnoreRules, PatternsMatchNamesPathsAndFolders) {
    struct Case {
        const char* pattern;
        const char* path;
        bool isFolder;
        bool ignored;
    } const cases[] = {
        {"*.pdb", "MOK.pdb", false, true},
        {"*.pdb", "deep/down/x.PDB", false, true},
        {"*.pdb", "x.pdb.bak", false, false},
        {"*.pdb", "pdb", false, false},
        {"thumbs.db", "a/Thumbs.db", false, true},
        {"/thumbs.db", "a/Thumbs.db", false, false},
        {"/thumbs.db", "Thumbs.db", false, true},
        {"saves/*.sav", "saves/a.sav", false, true},
        {"saves/*.sav", "saves/x/a.sav", false, false},
        {"saves/*.sav", "old/saves/a.sav", false, false},
        {"saves/**/*.sav", "saves/a.sav", false, true},
        {"saves/**/*.sav", "saves/x/y/a.sav", false, true},
        {"**/saves", "a/b/saves", true, true},
        {"**/saves", "saves", true, true},
        {"shot??.png", "shot01.png", false, true},
        {"shot??.png", "shot1.png", false, false},
        {"a?b", "a/b", false, false},
        {"logs/", "logs", true, true},
        {"logs/", "logs", false, false},
        {"logs/", "x/logs", true, true},
        {"/logs/", "x/logs", true, false},
        {"*", "anything", false, true},
        {"# a comment", "# a comment", false, false},
        {"trailing.txt  ", "trailing.txt", false, true},
        {"*.tmp\r", "a.tmp", false, true},
    };
    for (const Case& c : cases) {
        IgnoreRules rules;
        AddIgnorePattern(&rules, c.pattern);
        EXPECT_EQ(IsIgnored(rules, c.path, c.isFolder), c.ignored)
            << "pattern \"" << c.pattern << "\" path \"" << c.path << "\"" << (c.isFolder ? " (folder)" : "");
    }
}

TEST(IgnoreRules, BuiltInsAreThePatchersOwnFilesAtTheTop) {
    IgnoreRules rules;
    AddBuiltInIgnores(&rules);
    EXPECT_TRUE(IsIgnored(rules, "MOKPatcher.exe", false));
    EXPECT_TRUE(IsIgnored(rules, "mokpatcher.EXE", false));
    EXPECT_TRUE(IsIgnored(rules, "MOK_patch.state", false));
    EXPECT_FALSE(IsIgnored(rules, "tools/MOKPatcher.exe", false));
    EXPECT_FALSE(IsIgnored(rules, "MOK.exe", false));
}

}  // namespace
