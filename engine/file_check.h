// Whether a manifest entry's file on disk is current.
#pragma once

#include <stdint.h>

enum LocalFileState { Current, Stale };

const int64_t kHashSizeLimit = 52428800;  // larger files are trusted by size
const uint32_t kFileChunkSize = 65536;

LocalFileState CheckLocalFile(const char* localPath, int64_t expectedSize,
                              const char* expectedDigest, bool versionsDiffer);

// 20 digest bytes as 40 lowercase hex digits and a NUL.
void DigestToHex(const unsigned char digest[20], char hex[41]);
