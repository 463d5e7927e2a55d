#include "tools/folder_path.h"

#include "tools/folder_listing.h"

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

std::string TrimFolder(const std::string& folder) {
    std::string trimmed = folder;
    while (trimmed.size() > 1 && IsSeparator(trimmed.back()) && trimmed[trimmed.size() - 2] != ':')
        trimmed.pop_back();
    return trimmed;
}

std::string InFolder(const std::string& folder, const std::string& name) {
    if (folder.empty() || IsSeparator(folder.back())) return folder + name;
    return folder + kNativeSeparator + name;
}
