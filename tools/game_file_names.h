// Which game file names the patch run installs faithfully on the player's
// Windows machine. The patch run's own rules come from engine/manifest.h;
// this adds what Windows would rename or refuse.
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

#include "tools/refusal.h"

// Older Windows refuse to create a folder path longer than this through
// CreateDirectoryA (MAX_PATH less room for an 8.3 name, less the NUL).
const size_t kLongestWindowsFolder = 247;

// The longest installation folder (trailing separator included) into which
// the patch run can install `relativePath`; 0 when none.
size_t InstallFolderRoom(const char* relativePath);

// False, with the reason, when `relativePath` cannot be installed into every
// installation folder of up to `installFolderLength` characters.
bool IsInstallableName(const char* relativePath, size_t installFolderLength, RefusalReason* reason);

// Refuses every file whose path, letter case ignored, is another file's or
// one of the folders above another file, in the order given.
void FindCaseClashes(const std::vector<std::string>& sortedPaths, std::vector<Refusal>* refusals);
