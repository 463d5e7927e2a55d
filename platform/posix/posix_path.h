// Engine paths as the POSIX calls want them.
#pragma once

#include <limits.h>

// Copies `path` into `out` (PATH_MAX bytes) with every '\\' turned into '/'.
// False when `path` is null or does not fit.
bool PosixMapPath(const char* path, char out[PATH_MAX]);
