// Output files written beside their final name and renamed into place, so
// an interrupted run leaves the previous file or the new one, never a part.
#pragma once

#include <string>

// The temporary name beside `target`.
const char kStagingSuffix[] = ".writing";

struct StagedFile {
    std::string target;
    std::string temporary;
};

// Writes `content` to target + kStagingSuffix. False, with nothing left
// behind, when it cannot be written completely.
bool StageFile(const std::string& target, const std::string& content, StagedFile* staged);
// Renames the staged file over its target, in one step.
bool CommitStagedFile(const StagedFile& staged);
void DiscardStagedFile(const StagedFile& staged);
