#include "tools/ignore_rules.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>

namespace {

// Written into every installation folder by the launcher.
const char* const kBuiltInIgnores[] = {"/MOKPatcher.exe", "/MOK_patch.state"};

bool SameLetter(char a, char b) {
    return tolower(static_cast<unsigned char>(a)) == tolower(static_cast<unsigned char>(b));
}

bool GlobMatches(const char* glob, const char* text);

// "**": any run, '/' included; "**/" may also match no folder at all.
bool DoubleStarMatches(const char* rest, const char* text) {
    if (*rest == '/' && GlobMatches(rest + 1, text)) return true;
    for (const char* at = text;; ++at) {
        if (GlobMatches(rest, at)) return true;
        if (*at == 0) return false;
    }
}

bool StarMatches(const char* rest, const char* text) {
    for (const char* at = text;; ++at) {
        if (GlobMatches(rest, at)) return true;
        if (*at == 0 || *at == '/') return false;
    }
}

bool GlobMatches(const char* glob, const char* text) {
    for (; *glob; ++glob, ++text) {
        if (glob[0] == '*' && glob[1] == '*') return DoubleStarMatches(glob + 2, text);
        if (*glob == '*') return StarMatches(glob + 1, text);
        if (*text == 0) return false;
        if (*glob == '?' ? *text == '/' : !SameLetter(*glob, *text)) return false;
    }
    return *text == 0;
}

std::string LastName(const std::string& relativePath) {
    size_t slash = relativePath.rfind('/');
    return slash == std::string::npos ? relativePath : relativePath.substr(slash + 1);
}

}  // namespace

void AddBuiltInIgnores(IgnoreRules* rules) {
    for (const char* pattern : kBuiltInIgnores) AddIgnorePattern(rules, pattern);
}

void AddIgnorePattern(IgnoreRules* rules, const std::string& line) {
    std::string glob = line;
    while (!glob.empty() && strchr("\r\n\t ", glob.back())) glob.pop_back();  // names never end in a space
    if (glob.empty() || glob[0] == '#') return;
    IgnorePattern pattern = {glob, false, false};
    if (pattern.glob.size() > 1 && pattern.glob.back() == '/') {
        pattern.foldersOnly = true;
        pattern.glob.pop_back();
    }
    pattern.anchored = pattern.glob.find('/') != std::string::npos;
    if (pattern.glob[0] == '/') pattern.glob.erase(0, 1);
    if (!pattern.glob.empty()) rules->patterns.push_back(pattern);
}

bool LoadIgnoreFile(IgnoreRules* rules, const std::string& path) {
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return false;
    std::string line;
    for (int c = fgetc(file);; c = fgetc(file)) {
        if (c == EOF || c == '\n') {
            AddIgnorePattern(rules, line);
            line.clear();
            if (c == EOF) break;
        } else {
            line += static_cast<char>(c);
        }
    }
    bool ok = !ferror(file);
    fclose(file);
    return ok;
}

bool IsIgnored(const IgnoreRules& rules, const std::string& relativePath, bool isFolder) {
    std::string name = LastName(relativePath);
    for (const IgnorePattern& pattern : rules.patterns) {
        if (pattern.foldersOnly && !isFolder) continue;
        const std::string& subject = pattern.anchored ? relativePath : name;
        if (GlobMatches(pattern.glob.c_str(), subject.c_str())) return true;
    }
    return false;
}
