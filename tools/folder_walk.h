// The files of a game build folder that go into the manifest.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "tools/ignore_rules.h"
#include "tools/refusal.h"

struct GameFile {
    std::string relativePath;  // '/'-separated, as in the manifest
    std::string localPath;     // for opening it here
    int64_t size;
};

// Lists every file below `root` that `rules` do not leave out, sorted by
// relative path byte by byte; what cannot be listed or followed goes to
// `refusals`. Links are never followed out of `root`, nor into folders.
void WalkBuildFolder(const std::string& root, const IgnoreRules& rules, std::vector<GameFile>* files,
                     std::vector<Refusal>* refusals);

// Byte order of the relative paths: the manifest's order.
void SortByRelativePath(std::vector<GameFile>* files);
