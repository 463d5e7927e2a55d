#include "engine/file_check.h"

#include <string.h>

#include "platform/platform.h"

namespace {

// SHA-1 of the file as hex. False when the digest machinery fails (open,
// context, hash object, feeding, value); a read error ends the data early
// and the digest of what was read is returned.
bool DigestFile(const char* path, char hex[41]) {
    static unsigned char chunk[kFileChunkSize];  // the worker thread's only
    PlatFile* file = PlatOpenForRead(path);
    if (!file) return false;
    bool ok = false;
    PlatHashContext* context = PlatHashOpenContext();
    PlatHash* hash = context ? PlatHashCreate(context) : nullptr;
    if (hash) {
        ok = true;
        uint32_t got = 0;
        while (ok && PlatReadFile(file, chunk, kFileChunkSize, &got) && got > 0)
            ok = PlatHashFeed(hash, chunk, got);
        unsigned char digest[20];
        ok = ok && PlatHashValue(hash, digest);
        if (ok) DigestToHex(digest, hex);
        PlatHashDestroy(hash);
    }
    if (context) PlatHashCloseContext(context);
    PlatCloseFile(file);
    return ok;
}

}  // namespace

void DigestToHex(const unsigned char digest[20], char hex[41]) {
    static const char kDigits[] = "0123456789abcdef";
    for (int i = 0; i < 20; ++i) {
        hex[2 * i] = kDigits[digest[i] >> 4];
        hex[2 * i + 1] = kDigits[digest[i] & 15];
    }
    hex[40] = 0;
}

LocalFileState CheckLocalFile(const char* localPath, int64_t expectedSize, const char* expectedDigest,
                              bool versionsDiffer) {
    PlatFileInfo info;
    if (!PlatGetFileInfo(localPath, &info) || info.isDirectory || info.size != expectedSize) return Stale;
    if (expectedSize > kHashSizeLimit || !versionsDiffer) return Current;
    char digest[41];
    // A failing digest machinery counts in the file's favour.
    if (!DigestFile(localPath, digest)) return Current;
    return strcmp(digest, expectedDigest) == 0 ? Current : Stale;
}
