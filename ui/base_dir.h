// The installation folder from the running executable's path.
#pragma once

#include <stddef.h>

// Writes the folder part of `modulePath`, up to and including its last '\\',
// or ".\\" when there is none. When that does not fit `outSize` (including the
// terminator) nothing is derived: `out` becomes empty and the result is false,
// because a cut folder would name a different, existing folder.
bool DeriveBaseDir(const char* modulePath, char* out, size_t outSize);
