// SHA-1 of whole files through the platform layer, in large chunks.
#pragma once

#include <stdint.h>

#include "platform/platform.h"
#include "tools/progress.h"

const uint32_t kDigestChunkSize = 1048576;

// The file's SHA-1 as 40 lowercase hex digits and the number of bytes read.
// False when it cannot be opened or read to its end, or hashing fails.
bool DigestWholeFile(PlatHashContext* context, const char* path, char hex[41], int64_t* length,
                     Progress* progress);
