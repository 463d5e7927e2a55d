// HTTP GET over libcurl. One process-wide multi handle holds the connection
// pool, as WinINet's does across sessions; each request is an easy handle
// whose body is pulled into the caller's buffer, the transfer pausing while
// nobody reads.
#include "platform/faults.h"
#include "platform/platform.h"
#include "platform/posix/posix_hooks.h"

#include <curl/curl.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include <mutex>

struct PlatHttpSession {
    int unused;
};

// Body bytes that arrived beyond the caller's buffer, handed out first.
struct PendingBody {
    char* bytes;
    size_t capacity;
    size_t start;
    size_t end;
};

struct PlatHttpRequest {
    CURL* easy;
    curl_slist* headers;
    bool inMulti;
    bool blockRedirects;  // the header block being read carries a Location
    bool headersFinal;    // the final answer's header block is complete
    bool bodyArrived;
    bool paused;
    bool done;
    CURLcode result;  // once done
    char* destination;  // the caller's buffer while PlatHttpRead runs, else null
    uint32_t destinationSize;
    uint32_t destinationUsed;
    PendingBody pending;
};

namespace {

const char kUserAgent[] = "MOK-Patcher/3.0";
const long kMaxRedirects = 5;
const int kPollMilliseconds = 1000;

std::once_flag g_curlOnce;
CURLM* g_multi;  // kept for the life of the process: it is the connection pool

std::mutex g_caLock;
char g_caFile[PATH_MAX];  // empty: the system's trust store

void InitCurl() {
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return;
    g_multi = curl_multi_init();
}

bool StartsWithNoCase(const char* text, size_t length, const char* prefix) {
    size_t prefixLength = strlen(prefix);
    return length >= prefixLength && strncasecmp(text, prefix, prefixLength) == 0;
}

bool IsBlankLine(const char* text, size_t length) {
    return (length == 2 && text[0] == '\r' && text[1] == '\n') || (length == 1 && text[0] == '\n');
}

// Interim (1xx) blocks and redirects that libcurl will follow are not the
// final answer; their blank line must not end the wait for headers.
size_t OnHeaderLine(char* text, size_t size, size_t count, void* user) {
    PlatHttpRequest* request = static_cast<PlatHttpRequest*>(user);
    size_t length = size * count;
    if (StartsWithNoCase(text, length, "HTTP/")) {
        request->blockRedirects = false;
    } else if (StartsWithNoCase(text, length, "Location:")) {
        request->blockRedirects = true;
    } else if (IsBlankLine(text, length)) {
        long status = 0;
        curl_easy_getinfo(request->easy, CURLINFO_RESPONSE_CODE, &status);
        bool interim = status >= 100 && status < 200;
        bool redirect = status >= 300 && status < 400 && request->blockRedirects;
        if (status != 0 && !interim && !redirect) request->headersFinal = true;
    }
    return length;
}

bool KeepPending(PendingBody* pending, const char* bytes, size_t length) {
    if (length > pending->capacity) {
        char* grown = static_cast<char*>(realloc(pending->bytes, length));
        if (!grown) return false;
        pending->bytes = grown;
        pending->capacity = length;
    }
    memcpy(pending->bytes, bytes, length);
    pending->start = 0;
    pending->end = length;
    return true;
}

// libcurl takes a chunk whole or not at all, so what does not fit in the
// caller's buffer waits in `pending`, which is empty whenever this runs.
size_t OnBodyChunk(char* bytes, size_t size, size_t count, void* user) {
    PlatHttpRequest* request = static_cast<PlatHttpRequest*>(user);
    size_t length = size * count;
    request->bodyArrived = true;
    uint32_t room = request->destinationSize - request->destinationUsed;
    if (!request->destination || room == 0) {
        request->paused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    size_t taken = length < room ? length : room;
    memcpy(request->destination + request->destinationUsed, bytes, taken);
    request->destinationUsed += static_cast<uint32_t>(taken);
    if (taken < length && !KeepPending(&request->pending, bytes + taken, length - taken)) return 0;
    return length;
}

size_t TakePending(PlatHttpRequest* request) {
    PendingBody* pending = &request->pending;
    size_t available = pending->end - pending->start;
    size_t room = request->destinationSize - request->destinationUsed;
    size_t taken = available < room ? available : room;
    if (taken == 0) return 0;
    memcpy(request->destination + request->destinationUsed, pending->bytes + pending->start, taken);
    request->destinationUsed += static_cast<uint32_t>(taken);
    pending->start += taken;
    return taken;
}

bool SetRequestOptions(PlatHttpRequest* request, const char* url) {
    char caFile[PATH_MAX];
    {
        std::lock_guard<std::mutex> lock(g_caLock);
        memcpy(caFile, g_caFile, sizeof caFile);
    }
    CURL* easy = request->easy;
    bool ok = curl_easy_setopt(easy, CURLOPT_URL, url) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_USERAGENT, kUserAgent) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_HTTPHEADER, request->headers) == CURLE_OK;
    // HTTP/1.1 as WinINet speaks it; pausing is also simplest there.
    ok = ok && curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, (long)CURL_HTTP_VERSION_1_1) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "https") == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK;
    if (caFile[0]) {
        ok = ok && curl_easy_setopt(easy, CURLOPT_CAINFO, caFile) == CURLE_OK;
        ok = ok && curl_easy_setopt(easy, CURLOPT_CAPATH, (char*)nullptr) == CURLE_OK;
    }
    // Not the main thread: no alarm() around name look-ups.
    ok = ok && curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, OnHeaderLine) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_HEADERDATA, request) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, OnBodyChunk) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_WRITEDATA, request) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_PRIVATE, request) == CURLE_OK;
    return ok;
}

bool BuildHeaders(PlatHttpRequest* request) {
    request->headers = curl_slist_append(nullptr, "Pragma: no-cache");
    if (!request->headers) return false;
    curl_slist* extended = curl_slist_append(request->headers, "Cache-Control: no-cache");
    return extended != nullptr;
}

void ReleaseRequest(PlatHttpRequest* request) {
    if (request->inMulti) curl_multi_remove_handle(g_multi, request->easy);
    if (request->easy) curl_easy_cleanup(request->easy);
    curl_slist_free_all(request->headers);
    free(request->pending.bytes);
    free(request);
}

void CollectFinished() {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(g_multi, &left)) {
        if (message->msg != CURLMSG_DONE) continue;
        char* owner = nullptr;
        curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &owner);
        PlatHttpRequest* finished = reinterpret_cast<PlatHttpRequest*>(owner);
        if (!finished) continue;
        finished->done = true;
        finished->result = message->data.result;
    }
}

bool HeadersKnown(const PlatHttpRequest* request) {
    return request->headersFinal || request->bodyArrived || request->done;
}

bool BodyReady(const PlatHttpRequest* request) { return request->destinationUsed > 0 || request->done; }

// Runs every transfer until `ready` holds for `request`. False when the
// multi handle itself fails; transfer errors land in request->result.
bool Drive(PlatHttpRequest* request, bool (*ready)(const PlatHttpRequest*)) {
    for (;;) {
        int running = 0;
        if (curl_multi_perform(g_multi, &running) != CURLM_OK) return false;
        CollectFinished();
        if (ready(request)) return true;
        if (curl_multi_poll(g_multi, nullptr, 0, kPollMilliseconds, nullptr) != CURLM_OK) return false;
    }
}

bool Resume(PlatHttpRequest* request) {
    if (!request->paused) return true;
    request->paused = false;
    // May hand the chunk held back at the pause to OnBodyChunk right away.
    CURLcode result = curl_easy_pause(request->easy, CURLPAUSE_CONT);
    if (result == CURLE_OK) return true;
    request->done = true;
    request->result = result;
    return false;
}

// A transfer that failed before the final header block is a transport
// failure; one that failed after it fails in PlatHttpRead.
bool HasAnswer(PlatHttpRequest* request) {
    long status = 0;
    curl_easy_getinfo(request->easy, CURLINFO_RESPONSE_CODE, &status);
    if (status == 0) return false;
    if (!request->done || request->result == CURLE_OK) return true;
    return request->headersFinal || request->bodyArrived;
}

}  // namespace

void PlatPosixSetCaFile(const char* pemPath) {
    std::lock_guard<std::mutex> lock(g_caLock);
    g_caFile[0] = 0;
    // A path that does not fit leaves the system's trust store in use.
    if (pemPath && strlen(pemPath) < sizeof g_caFile) strcpy(g_caFile, pemPath);
}

PlatHttpSession* PlatHttpOpenSession() {
    if (PlatShouldFail(PlatOpHttpSession)) return nullptr;
    std::call_once(g_curlOnce, InitCurl);
    if (!g_multi) return nullptr;
    PlatHttpSession* session = static_cast<PlatHttpSession*>(calloc(1, sizeof(PlatHttpSession)));
    if (!session) return nullptr;
    PlatHandleOpened(PlatHandleSession);
    return session;
}

PlatHttpRequest* PlatHttpOpenUrl(PlatHttpSession* session, const char* url) {
    if (PlatShouldFail(PlatOpHttpOpenUrl)) return nullptr;
    if (!session || !url || !g_multi) return nullptr;
    PlatHttpRequest* request = static_cast<PlatHttpRequest*>(calloc(1, sizeof(PlatHttpRequest)));
    if (!request) return nullptr;
    request->easy = curl_easy_init();
    bool ok = request->easy && BuildHeaders(request) && SetRequestOptions(request, url);
    if (ok) {
        request->inMulti = curl_multi_add_handle(g_multi, request->easy) == CURLM_OK;
        ok = request->inMulti;
    }
    ok = ok && Drive(request, HeadersKnown) && HasAnswer(request);
    if (!ok) {
        ReleaseRequest(request);
        return nullptr;
    }
    PlatHandleOpened(PlatHandleUrl);
    return request;
}

int PlatHttpStatus(PlatHttpRequest* request) {
    if (!request) return 0;
    long status = 0;
    curl_easy_getinfo(request->easy, CURLINFO_RESPONSE_CODE, &status);
    return static_cast<int>(status);
}

int64_t PlatHttpContentLength(PlatHttpRequest* request) {
    if (!request) return -1;
    curl_off_t length = -1;
    if (curl_easy_getinfo(request->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) return -1;
    return length < 0 ? -1 : static_cast<int64_t>(length);
}

bool PlatHttpRead(PlatHttpRequest* request, void* buffer, uint32_t size, uint32_t* got) {
    if (PlatShouldFail(PlatOpHttpRead)) return false;
    *got = 0;
    if (!request || !buffer) return false;
    request->destination = static_cast<char*>(buffer);
    request->destinationSize = size;
    request->destinationUsed = 0;
    bool ok = true;
    if (TakePending(request) == 0 && size > 0) ok = Resume(request) && Drive(request, BodyReady);
    *got = request->destinationUsed;
    request->destination = nullptr;
    request->destinationSize = 0;
    request->destinationUsed = 0;
    if (!ok) return false;
    return *got > 0 || !request->done || request->result == CURLE_OK;
}

void PlatHttpCloseUrl(PlatHttpRequest* request) {
    if (!request) return;
    ReleaseRequest(request);
    PlatHandleClosed(PlatHandleUrl);
}

void PlatHttpCloseSession(PlatHttpSession* session) {
    if (!session) return;
    free(session);
    PlatHandleClosed(PlatHandleSession);
}
