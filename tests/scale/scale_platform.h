// The few operating-system facts the scale tests need beyond test_support.h,
// one implementation per back end (posix/, win32/).
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

// This process's memory now and its peak so far, in bytes (Linux: VmRSS and
// VmHWM; Win32: the working set and its peak). False when unknown.
bool ReadProcessMemory(int64_t* current, int64_t* peak);

// Creates `path` with `size` bytes without writing them. False, with the
// reason in *whyNot, when the file cannot be made that large or would really
// occupy the space on this file system (the file is removed then).
bool MakeSparseFile(const std::string& path, int64_t size, std::string* whyNot);

// The names in `folder` (without "." and ".."), as this back end's narrow
// calls report them.
std::vector<std::string> FolderNames(const std::string& folder);
