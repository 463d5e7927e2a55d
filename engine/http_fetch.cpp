#include "engine/http_fetch.h"

#include <stdint.h>
#include <stdlib.h>

#include "platform/platform.h"

namespace {

const size_t kFirstBlockSize = 131072;
const size_t kGrowWhenFreeAtMost = 4095;

// Reads the whole body into one growing block with a byte kept free for the
// terminator. Null on a read error, an allocation failure or a body shorter
// than its declared Content-Length: WinINet reports a connection cut
// mid-body exactly like the end of the body, so the count is the only proof.
char* ReadBody(PlatHttpRequest* request, size_t* length) {
    size_t capacity = kFirstBlockSize;
    size_t used = 0;
    char* buffer = static_cast<char*>(PlatAlloc(capacity));
    if (!buffer) {
        *length = 0;
        return nullptr;
    }
    for (;;) {
        uint32_t got = 0;
        size_t room = capacity - 1 - used;
        if (room > UINT32_MAX) room = UINT32_MAX;  // 64-bit builds: the read size is 32-bit
        if (!PlatHttpRead(request, buffer + used, static_cast<uint32_t>(room), &got)) {
            free(buffer);
            return nullptr;
        }
        if (got == 0) break;
        used += got;
        if (capacity - used > kGrowWhenFreeAtMost) continue;
        // The doubled size must still fit size_t (32-bit in the product).
        char* grown = capacity <= SIZE_MAX / 2 ? static_cast<char*>(PlatRealloc(buffer, capacity * 2)) : nullptr;
        if (!grown) {
            free(buffer);
            *length = used;
            return nullptr;
        }
        buffer = grown;
        capacity *= 2;
    }
    buffer[used] = 0;
    int64_t declared = PlatHttpContentLength(request);
    if (declared >= 0 && static_cast<uint64_t>(declared) != used) {
        free(buffer);
        return nullptr;
    }
    *length = used;
    return buffer;
}

}  // namespace

bool IsSuccessStatus(int status) { return status >= 200 && status <= 299; }

char* FetchUrlToMemory(const char* url, size_t* length) {
    PlatHttpSession* session = PlatHttpOpenSession();
    if (!session) return nullptr;
    PlatHttpRequest* request = PlatHttpOpenUrl(session, url);
    if (!request) {
        PlatHttpCloseSession(session);
        return nullptr;
    }
    char* body = nullptr;
    if (IsSuccessStatus(PlatHttpStatus(request))) body = ReadBody(request, length);
    PlatHttpCloseUrl(request);
    PlatHttpCloseSession(session);
    return body;
}
