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

// The next line of `*cursor`, split in place on runs of CR and LF as the
// patch run reads the manifest; null when none is left. Advances *cursor.
char* TakeManifestLine(char** cursor);

// ---- What a manifest the patch run installs may contain ---------------------
// For the studio's generator, which must refuse what the patch run would fail.

// The shortest installation folder (BaseDir), "C:\".
const size_t kShortestBaseDir = 3;

enum EntryPathProblem {
    EntryPathFits,
    EntryPathBar,          // a '|' would end the path early
    EntryPathLineBreak,    // CR or LF would split the line
    EntryPathControlByte,  // a byte below 0x20
    EntryPathUnsafe,       // IsSafeRelativePath refuses it
    EntryPathTempName,     // ends in kDownloadTempSuffix (any case)
    EntryPathUrlTooLong,   // percent-encoded it does not fit the download's URL
    EntryPathTooLong,      // no room left for a `baseDirLength` installation folder
};

// Whether the patch run installs `relativePath` ('/'-separated) into every
// installation folder of up to `baseDirLength` characters, trailing
// separator included.
EntryPathProblem CheckEntryPath(const char* relativePath, size_t baseDirLength);

// The longest BaseDir with which the file and its temporary download beside
// it both fit kPathSize; 0 when none does.
size_t BaseDirRoom(const char* relativePath);

// 1 to kLongestVersionLabel bytes and no control byte: read back from
// version.txt and the state file unchanged.
bool IsUsableVersionLabel(const char* label);
