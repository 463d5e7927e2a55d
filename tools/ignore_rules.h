// Which files of a build folder are left out of the manifest.
//
// One pattern a line; blank lines and lines starting with '#' are skipped.
// '*' matches any run of characters within one name, '?' one character,
// "**" any run across folders ("**/" also none). A pattern without '/'
// matches a name at any depth; one with '/' matches the whole path from the
// build folder (a leading '/' is dropped). A trailing '/' matches folders
// only. A folder that matches is left out with everything below it. Letter
// case is ignored, as on Windows.
#pragma once

#include <string>
#include <vector>

struct IgnorePattern {
    std::string glob;
    bool anchored;     // matches the whole relative path
    bool foldersOnly;
};

struct IgnoreRules {
    std::vector<IgnorePattern> patterns;
};

// What is never served: the patcher itself and its state file.
void AddBuiltInIgnores(IgnoreRules* rules);
void AddIgnorePattern(IgnoreRules* rules, const std::string& line);
// False when the file cannot be read.
bool LoadIgnoreFile(IgnoreRules* rules, const std::string& path);

bool IsIgnored(const IgnoreRules& rules, const std::string& relativePath, bool isFolder);
