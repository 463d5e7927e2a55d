// Downloading one game file into place without ever leaving a broken file.
#pragma once

#include <stddef.h>
#include <stdint.h>

enum DownloadOutcome { Fetched, Failed };

const int64_t kCounterThreshold = 8388608;  // larger downloads show a MB counter
const size_t kEncodedPathSize = 2048;       // at most 2,047 characters
const size_t kFileUrlSize = 2400;
// The download's temporary file: the target's path with this suffix.
const char kDownloadTempSuffix[] = ".mokpart";

// Letters, digits, "-._~" and '/' stay; every other byte becomes %XX. False
// when the result would not fit in `size` bytes (nothing is cut).
bool PercentEncodePath(const char* relativePath, char* out, size_t size);

// Fetches PatchBaseUrl + the encoded relative path into a temporary file
// beside `localPath` and replaces the target only when the answer is 2xx,
// complete, and (for a non-negative size) of the expected size and digest.
DownloadOutcome DownloadFile(const char* relativePath, const char* localPath,
                             int64_t expectedSize, const char* expectedDigest);
