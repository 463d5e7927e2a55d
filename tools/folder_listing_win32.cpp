#include "tools/folder_listing.h"

#include <windows.h>

const char kNativeSeparator = '\\';
const size_t kLongestLocalPath = MAX_PATH - 1;

namespace {

ListedKind KindOf(const WIN32_FIND_DATAA& found) {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return ListedLink;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return ListedFolder;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) return ListedOther;
    return ListedFile;
}

// The full path without trailing separators; empty on failure.
std::string FullPath(const std::string& path) {
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full) return std::string();
    std::string result(full, length);
    while (result.size() > 3 && (result.back() == '\\' || result.back() == '/')) result.pop_back();
    return result;
}

}  // namespace

bool ListFolder(const std::string& folder, std::vector<ListedEntry>* entries) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        int64_t size = static_cast<int64_t>((static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow);
        entries->push_back({name, KindOf(found), size});
    } while (FindNextFileA(search, &found));
    bool complete = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(search);
    return complete;
}

// Links and junctions are never followed: their targets may be anywhere,
// and NTFS allows cycles.
LinkTarget ResolveLink(const std::string&, const std::string&, int64_t*) { return LinkNotFollowed; }

bool IsSameFolder(const std::string& a, const std::string& b) {
    std::string first = FullPath(a);
    DWORD attributes = GetFileAttributesA(first.c_str());
    return !first.empty() && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           lstrcmpiA(first.c_str(), FullPath(b).c_str()) == 0;
}
