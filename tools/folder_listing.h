// Listing one folder of a build, without following links. Two back ends:
// folder_listing_posix.cpp and folder_listing_win32.cpp.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

extern const char kNativeSeparator;
// The longest path this build of the tool can open (MAX_PATH on Windows).
extern const size_t kLongestLocalPath;

enum ListedKind { ListedFile, ListedFolder, ListedLink, ListedOther };

struct ListedEntry {
    std::string name;
    ListedKind kind;
    int64_t size;  // files only
};

// The folder's entries except "." and "..", in no particular order. False
// when the folder cannot be listed.
bool ListFolder(const std::string& folder, std::vector<ListedEntry>* entries);

enum LinkTarget { LinkToFileInside, LinkToFolder, LinkOutside, LinkBroken, LinkToOther, LinkNotFollowed };

// Where the link at `path` leads, judged against the build folder `root`;
// *size is the file's size for LinkToFileInside.
LinkTarget ResolveLink(const std::string& path, const std::string& root, int64_t* size);

// Whether two paths name the same existing folder.
bool IsSameFolder(const std::string& a, const std::string& b);
