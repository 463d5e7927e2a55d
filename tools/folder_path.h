// Folder paths as the studio types them, '/' or '\\' alike.
#pragma once

#include <string>

// Without trailing separators; "/" and "C:\" stay as they are.
std::string TrimFolder(const std::string& folder);
// `folder` followed by `name`, with one separator between.
std::string InFolder(const std::string& folder, const std::string& name);
