// The manifest's line format and the rules every entry must pass.
#pragma once

#include <stddef.h>
#include <stdint.h>

struct ManifestEntry {
    char* relativePath;  // points into the line
    int64_t size;
    char* digest;        // the rest of the line, further '|' included
};

// Signed 64-bit: leading white space, one sign, digits up to the first other
// character; no digits read as 0; clamped on overflow.
int64_t ReadManifestSize(const char* text);

// LF bytes up to the first NUL, at least 1.
int CountManifestLines(const char* text);

// Splits `line` in place at its first two '|'. False for a line with fewer
// than two '|', which is not an entry.
bool SplitManifestLine(char* line, ManifestEntry* entry);

// False for a path that could leave the installation folder or name a
// device: empty, leading separator, ':', a ".." component, a byte below
// 0x20, or a component that is a Windows device name. '/' and '\\' alike.
bool IsSafeRelativePath(const char* relativePath);

// BaseDir + relative path with every '/' turned into '\\'. False when it
// does not fit in `size` bytes.
bool ComposeLocalPath(const char* baseDir, const char* relativePath, char* out, size_t size);
