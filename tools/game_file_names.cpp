#include "tools/game_file_names.h"

#include <ctype.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <set>

#include "engine/manifest.h"

namespace {

// The files the patch server publishes beside the game, at the top.
const char* const kServedNames[] = {"manifest.txt", "version.txt"};

bool EqualsIgnoringCase(const std::string& a, const char* b) {
    if (a.size() != strlen(b)) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (tolower(static_cast<unsigned char>(a[i])) != tolower(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

std::string LowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

bool FromEntryPathProblem(EntryPathProblem problem, RefusalReason* reason) {
    switch (problem) {
        case EntryPathFits: return true;
        case EntryPathBar: *reason = RefusedBar; break;
        case EntryPathLineBreak: *reason = RefusedLineBreak; break;
        case EntryPathControlByte: *reason = RefusedControlByte; break;
        case EntryPathUnsafe: *reason = RefusedUnsafePath; break;
        case EntryPathTempName: *reason = RefusedTempSuffix; break;
        case EntryPathUrlTooLong: *reason = RefusedUrlTooLong; break;
        case EntryPathTooLong: *reason = RefusedPathTooLong; break;
    }
    return false;
}

bool HasWindowsOnlyProblem(const char* relativePath, RefusalReason* reason) {
    for (const unsigned char* at = reinterpret_cast<const unsigned char*>(relativePath); *at; ++at) {
        if (*at == 0x7f) {
            *reason = RefusedControlByte;
            return true;
        }
        if (*at >= 0x80) {
            *reason = RefusedNotAscii;
            return true;
        }
        if (strchr("<>\"\\?*", *at)) {
            *reason = RefusedWindowsCharacter;
            return true;
        }
        bool componentEnds = at[1] == 0 || at[1] == '/';
        if (componentEnds && (*at == '.' || *at == ' ')) {
            *reason = RefusedTrailingDotOrSpace;
            return true;
        }
    }
    return false;
}

bool IsServedName(const char* relativePath) {
    for (const char* name : kServedNames)
        if (EqualsIgnoringCase(relativePath, name)) return true;
    return false;
}

// "a/b/c" gives "a" and "a/b".
std::vector<std::string> FoldersAbove(const std::string& path) {
    std::vector<std::string> folders;
    for (size_t end = path.find('/'); end != std::string::npos; end = path.find('/', end + 1))
        folders.push_back(path.substr(0, end));
    return folders;
}

}  // namespace

size_t InstallFolderRoom(const char* relativePath) {
    size_t room = BaseDirRoom(relativePath);
    const char* lastSeparator = strrchr(relativePath, '/');
    if (!lastSeparator) return room;
    size_t folderLength = static_cast<size_t>(lastSeparator - relativePath);
    size_t folderRoom = folderLength < kLongestWindowsFolder ? kLongestWindowsFolder - folderLength : 0;
    return std::min(room, folderRoom);
}

bool IsInstallableName(const char* relativePath, size_t installFolderLength, RefusalReason* reason) {
    if (!FromEntryPathProblem(CheckEntryPath(relativePath, installFolderLength), reason)) return false;
    if (HasWindowsOnlyProblem(relativePath, reason)) return false;
    if (IsServedName(relativePath)) {
        *reason = RefusedServedName;
        return false;
    }
    if (InstallFolderRoom(relativePath) < installFolderLength) {
        *reason = RefusedPathTooLong;
        return false;
    }
    return true;
}

void FindCaseClashes(const std::vector<std::string>& paths, std::vector<Refusal>* refusals) {
    // Folders that differ in case merge harmlessly on Windows; a file does
    // not: it would be one file with another, or stand where a folder must.
    std::map<std::string, std::set<std::string>> fileSpellings;
    std::set<std::string> folders;
    for (const std::string& path : paths) {
        fileSpellings[LowerCase(path)].insert(path);
        for (const std::string& folder : FoldersAbove(path)) folders.insert(LowerCase(folder));
    }
    for (const std::string& path : paths) {
        std::string key = LowerCase(path);
        bool clashes = fileSpellings[key].size() > 1 || folders.count(key) > 0;
        for (const std::string& folder : FoldersAbove(path))
            clashes = clashes || fileSpellings.count(LowerCase(folder)) > 0;
        if (clashes) refusals->push_back({path, RefusedCaseClash});
    }
}
