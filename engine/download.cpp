#include "engine/download.h"

#include <stdio.h>
#include <string.h>

#include "engine/file_check.h"
#include "engine/http_fetch.h"
#include "engine/launcher_state.h"
#include "engine/status_board.h"
#include "engine/text.h"
#include "platform/platform.h"

namespace {

const size_t kCounterTextSize = 200;

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~' || c == '/';
}

// Folders from the outermost to the innermost below BaseDir; never BaseDir
// itself, never the file name. Existing folders are fine.
void CreateParentFolders(const char* localPath) {
    char scratch[kPathSize];
    if (!JoinText(localPath, "", scratch, sizeof scratch)) return;
    size_t start = strlen(BaseDir);
    if (start > strlen(scratch)) return;
    for (char* at = scratch + start; *at; ++at) {
        if (*at != '\\' && *at != '/') continue;
        char separator = *at;
        *at = 0;
        PlatCreateDirectory(scratch);
        *at = separator;
    }
}

void PublishCounter(int64_t written, int64_t expectedSize) {
    char text[kCounterTextSize];
    snprintf(text, sizeof text, "Mengunduh data game...  %lld / %lld MB", static_cast<long long>(written >> 20),
             static_cast<long long>(expectedSize >> 20));
    PublishStatusText(text);
}

struct Transfer {
    PlatHttpRequest* request;
    int64_t expectedSize;
    PlatHash* hash;  // null when the size is negative: nothing is verified
    int64_t received;
};

// Streams the body into `file`, feeding the hash on the way. False on a
// read, write or hash error.
bool StreamBody(Transfer* transfer, PlatFile* file) {
    static unsigned char chunk[kFileChunkSize];  // the worker thread's only
    for (;;) {
        uint32_t got = 0;
        if (!PlatHttpRead(transfer->request, chunk, kFileChunkSize, &got)) return false;
        if (got == 0) return true;
        uint32_t written = 0;
        if (!PlatWriteFile(file, chunk, got, &written) || written != got) return false;
        if (transfer->hash && !PlatHashFeed(transfer->hash, chunk, got)) return false;
        transfer->received += got;
        if (transfer->expectedSize > kCounterThreshold) PublishCounter(transfer->received, transfer->expectedSize);
    }
}

bool MatchesManifest(Transfer* transfer, const char* expectedDigest) {
    if (!transfer->hash) return true;
    unsigned char digest[20];
    char hex[41];
    if (transfer->received != transfer->expectedSize || !PlatHashValue(transfer->hash, digest)) return false;
    DigestToHex(digest, hex);
    return strcmp(hex, expectedDigest) == 0;
}

// Writes the body to `tempPath` (beside the target, so the rename stays on
// one volume) and moves it over `localPath` only when it
// is complete and verified; otherwise the temporary file is deleted and the
// target stays as it was.
DownloadOutcome ReceiveFile(Transfer* transfer, const char* tempPath, const char* localPath,
                            const char* expectedDigest) {
    PlatFile* file = PlatCreateForWrite(tempPath);
    if (!file) return Failed;
    bool ok = StreamBody(transfer, file);
    PlatCloseFile(file);
    int64_t declared = PlatHttpContentLength(transfer->request);
    ok = ok && (declared < 0 || declared == transfer->received);
    ok = ok && MatchesManifest(transfer, expectedDigest);
    if (ok && PlatReplaceFile(tempPath, localPath)) return Fetched;
    PlatDeleteFile(tempPath);
    return Failed;
}

DownloadOutcome ReceiveVerified(Transfer* transfer, const char* tempPath, const char* localPath,
                                const char* expectedDigest) {
    if (transfer->expectedSize < 0) return ReceiveFile(transfer, tempPath, localPath, expectedDigest);
    // Content that cannot be verified is never put in place.
    PlatHashContext* context = PlatHashOpenContext();
    if (!context) return Failed;
    DownloadOutcome outcome = Failed;
    transfer->hash = PlatHashCreate(context);
    if (transfer->hash) {
        outcome = ReceiveFile(transfer, tempPath, localPath, expectedDigest);
        PlatHashDestroy(transfer->hash);
    }
    PlatHashCloseContext(context);
    return outcome;
}

}  // namespace

bool PercentEncodePath(const char* relativePath, char* out, size_t size) {
    static const char kHex[] = "0123456789ABCDEF";
    size_t used = 0;
    for (const unsigned char* at = reinterpret_cast<const unsigned char*>(relativePath); *at; ++at) {
        size_t needed = IsUnreserved(*at) ? 1 : 3;
        if (used + needed >= size) {
            if (size > 0) out[0] = 0;
            return false;
        }
        if (needed == 1) {
            out[used++] = static_cast<char>(*at);
        } else {
            out[used++] = '%';
            out[used++] = kHex[*at >> 4];
            out[used++] = kHex[*at & 15];
        }
    }
    if (size == 0) return false;
    out[used] = 0;
    return true;
}

DownloadOutcome DownloadFile(const char* relativePath, const char* localPath, int64_t expectedSize,
                             const char* expectedDigest) {
    char encoded[kEncodedPathSize];
    char url[kFileUrlSize];
    char tempPath[kPathSize];
    if (!PercentEncodePath(relativePath, encoded, sizeof encoded) ||
        !JoinText(PatchBaseUrl, encoded, url, sizeof url) ||
        !JoinText(localPath, kDownloadTempSuffix, tempPath, sizeof tempPath))
        return Failed;
    CreateParentFolders(localPath);
    PlatHttpSession* session = PlatHttpOpenSession();
    if (!session) return Failed;
    DownloadOutcome outcome = Failed;
    PlatHttpRequest* request = PlatHttpOpenUrl(session, url);
    if (request) {
        if (IsSuccessStatus(PlatHttpStatus(request))) {
            Transfer transfer = {request, expectedSize, nullptr, 0};
            outcome = ReceiveVerified(&transfer, tempPath, localPath, expectedDigest);
        }
        PlatHttpCloseUrl(request);
    }
    PlatHttpCloseSession(session);
    return outcome;
}
