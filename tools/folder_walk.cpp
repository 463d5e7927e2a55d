#include "tools/folder_walk.h"

#include <algorithm>

#include "tools/folder_listing.h"

namespace {

struct Walk {
    std::string root;
    const IgnoreRules* rules;
    std::vector<GameFile>* files;
    std::vector<Refusal>* refusals;
};

RefusalReason LinkRefusal(LinkTarget target) {
    switch (target) {
        case LinkToFolder: return RefusedLinkToFolder;
        case LinkOutside: return RefusedLinkOutside;
        case LinkBroken: return RefusedLinkBroken;
        case LinkToOther: return RefusedNotRegularFile;
        default: return RefusedLinkNotFollowed;
    }
}

void WalkFolder(const Walk& walk, const std::string& relativeFolder, const std::string& localFolder);

void AddFile(const Walk& walk, const std::string& relativePath, const std::string& localPath, int64_t size) {
    if (localPath.size() > kLongestLocalPath)
        walk.refusals->push_back({relativePath, RefusedLocalPathTooLong});
    else
        walk.files->push_back({relativePath, localPath, size});
}

void TakeEntry(const Walk& walk, const ListedEntry& entry, const std::string& relativeFolder,
               const std::string& localFolder) {
    std::string relativePath = relativeFolder.empty() ? entry.name : relativeFolder + "/" + entry.name;
    std::string localPath = localFolder + kNativeSeparator + entry.name;
    if (IsIgnored(*walk.rules, relativePath, entry.kind == ListedFolder)) return;
    switch (entry.kind) {
        case ListedFolder:
            WalkFolder(walk, relativePath, localPath);
            return;
        case ListedFile:
            AddFile(walk, relativePath, localPath, entry.size);
            return;
        case ListedLink: {
            int64_t size = 0;
            LinkTarget target = ResolveLink(localPath, walk.root, &size);
            if (target == LinkToFileInside)
                AddFile(walk, relativePath, localPath, size);
            else
                walk.refusals->push_back({relativePath, LinkRefusal(target)});
            return;
        }
        case ListedOther:
            walk.refusals->push_back({relativePath, RefusedNotRegularFile});
            return;
    }
}

void WalkFolder(const Walk& walk, const std::string& relativeFolder, const std::string& localFolder) {
    std::vector<ListedEntry> entries;
    if (!ListFolder(localFolder, &entries)) {
        walk.refusals->push_back({relativeFolder.empty() ? "." : relativeFolder, RefusedUnlistable});
        return;
    }
    for (const ListedEntry& entry : entries) TakeEntry(walk, entry, relativeFolder, localFolder);
}

}  // namespace

void WalkBuildFolder(const std::string& root, const IgnoreRules& rules, std::vector<GameFile>* files,
                     std::vector<Refusal>* refusals) {
    Walk walk = {root, &rules, files, refusals};
    WalkFolder(walk, "", root);
    SortByRelativePath(files);
}

void SortByRelativePath(std::vector<GameFile>* files) {
    // std::string compares as unsigned bytes, like memcmp.
    std::sort(files->begin(), files->end(),
              [](const GameFile& a, const GameFile& b) { return a.relativePath < b.relativePath; });
}
