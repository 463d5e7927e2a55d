#include "tools/file_digest.h"

#include "engine/file_check.h"

namespace {

unsigned char g_chunk[kDigestChunkSize];  // one file is hashed at a time

bool FeedFile(PlatFile* file, PlatHash* hash, int64_t* length, Progress* progress) {
    for (;;) {
        uint32_t got = 0;
        if (!PlatReadFile(file, g_chunk, kDigestChunkSize, &got)) return false;
        if (got == 0) return true;
        if (!PlatHashFeed(hash, g_chunk, got)) return false;
        *length += got;
        AddProgressBytes(progress, got);
    }
}

}  // namespace

bool DigestWholeFile(PlatHashContext* context, const char* path, char hex[41], int64_t* length,
                     Progress* progress) {
    *length = 0;
    PlatFile* file = PlatOpenForRead(path);
    if (!file) return false;
    bool ok = false;
    PlatHash* hash = PlatHashCreate(context);
    if (hash) {
        unsigned char digest[20];
        ok = FeedFile(file, hash, length, progress) && PlatHashValue(hash, digest);
        if (ok) DigestToHex(digest, hex);
        PlatHashDestroy(hash);
    }
    PlatCloseFile(file);
    return ok;
}
