#include "tools/folder_listing.h"

#include <dirent.h>
#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

const char kNativeSeparator = '/';
const size_t kLongestLocalPath = PATH_MAX - 1;

namespace {

ListedKind KindOf(const struct stat& status) {
    if (S_ISLNK(status.st_mode)) return ListedLink;
    if (S_ISDIR(status.st_mode)) return ListedFolder;
    if (S_ISREG(status.st_mode)) return ListedFile;
    return ListedOther;
}

// The canonical form of `path`; empty when it does not resolve.
std::string Canonical(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

// `folder` itself or anything below it.
bool IsWithin(const std::string& path, const std::string& folder) {
    std::string prefix = folder == "/" ? folder : folder + "/";
    return path == folder || path.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

bool ListFolder(const std::string& folder, std::vector<ListedEntry>* entries) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return false;
    errno = 0;
    while (struct dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat status;
        ListedEntry listed = {name, ListedOther, 0};
        if (lstat((folder + "/" + name).c_str(), &status) == 0) {
            listed.kind = KindOf(status);
            listed.size = static_cast<int64_t>(status.st_size);
        }
        entries->push_back(listed);
        errno = 0;
    }
    bool complete = errno == 0;  // readdir ends with null both at the end and on an error
    closedir(dir);
    return complete;
}

LinkTarget ResolveLink(const std::string& path, const std::string& root, int64_t* size) {
    std::string target = Canonical(path);
    if (target.empty()) return LinkBroken;
    if (!IsWithin(target, Canonical(root))) return LinkOutside;
    struct stat status;
    if (stat(target.c_str(), &status) != 0) return LinkBroken;
    if (S_ISDIR(status.st_mode)) return LinkToFolder;
    if (!S_ISREG(status.st_mode)) return LinkToOther;
    *size = static_cast<int64_t>(status.st_size);
    return LinkToFileInside;
}

bool IsSameFolder(const std::string& a, const std::string& b) {
    struct stat first;
    struct stat second;
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && S_ISDIR(first.st_mode) &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}
