// HTTP GET over WinINet with the fixed request profile.
#include "platform/faults.h"
#include "platform/platform.h"

#include <windows.h>
#include <wininet.h>

namespace {

const char kAgent[] = "MOK-Patcher/3.0";

// Always from the server, never into the cache. No flag that relaxes
// certificate checks may ever be added here.
const DWORD kRequestFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE;
static_assert(kRequestFlags == 0x84000100, "request flags changed");

// Larger than any URL the engine composes, so the check adds no limit of its own.
const int kMaxUrl = 4096;

HINTERNET SessionHandle(PlatHttpSession* session) { return reinterpret_cast<HINTERNET>(session); }
HINTERNET RequestHandle(PlatHttpRequest* request) { return reinterpret_cast<HINTERNET>(request); }

bool StartsWithHttps(const char* url) {
    const char scheme[] = "https://";
    for (int i = 0; scheme[i] != 0; ++i) {
        char c = url[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != scheme[i]) return false;
    }
    return true;
}

// WinINet follows redirects itself; the answer only counts when it still
// came over TLS, so an https->http redirect is refused here.
bool FinalUrlIsHttps(HINTERNET request) {
    char url[kMaxUrl + 1];
    DWORD length = sizeof url - 1;
    if (!InternetQueryOptionA(request, INTERNET_OPTION_URL, url, &length)) return false;
    if (length >= sizeof url) return false;
    url[length] = 0;
    return StartsWithHttps(url);
}

// Non-negative decimal with optional surrounding blanks; -1 otherwise.
int64_t ParseLength(const char* text) {
    const char* at = text;
    while (*at == ' ' || *at == '\t') ++at;
    if (*at < '0' || *at > '9') return -1;
    int64_t value = 0;
    for (; *at >= '0' && *at <= '9'; ++at) {
        int digit = *at - '0';
        if (value > (INT64_MAX - digit) / 10) return -1;
        value = value * 10 + digit;
    }
    while (*at == ' ' || *at == '\t') ++at;
    return *at == 0 ? value : -1;
}

}  // namespace

PlatHttpSession* PlatHttpOpenSession() {
    if (PlatShouldFail(PlatOpHttpSession)) return nullptr;
    HINTERNET session = InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (session == nullptr) return nullptr;
    PlatHandleOpened(PlatHandleSession);
    return reinterpret_cast<PlatHttpSession*>(session);
}

PlatHttpRequest* PlatHttpOpenUrl(PlatHttpSession* session, const char* url) {
    if (PlatShouldFail(PlatOpHttpOpenUrl)) return nullptr;
    HINTERNET request = InternetOpenUrlA(SessionHandle(session), url, nullptr, 0, kRequestFlags, 0);
    if (request == nullptr) return nullptr;
    if (!FinalUrlIsHttps(request)) {
        InternetCloseHandle(request);
        return nullptr;
    }
    PlatHandleOpened(PlatHandleUrl);
    return reinterpret_cast<PlatHttpRequest*>(request);
}

int PlatHttpStatus(PlatHttpRequest* request) {
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoA(RequestHandle(request), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER,
                        &status, &size, nullptr))
        return 0;
    return static_cast<int>(status);
}

int64_t PlatHttpContentLength(PlatHttpRequest* request) {
    char text[32];
    DWORD size = sizeof text - 1;
    if (!HttpQueryInfoA(RequestHandle(request), HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr))
        return -1;
    if (size >= sizeof text) return -1;
    text[size] = 0;
    return ParseLength(text);
}

bool PlatHttpRead(PlatHttpRequest* request, void* buffer, uint32_t size, uint32_t* got) {
    *got = 0;
    if (PlatShouldFail(PlatOpHttpRead)) return false;
    DWORD read = 0;
    if (!InternetReadFile(RequestHandle(request), buffer, size, &read)) return false;
    *got = read;
    return true;
}

void PlatHttpCloseUrl(PlatHttpRequest* request) {
    if (request == nullptr) return;
    InternetCloseHandle(RequestHandle(request));
    PlatHandleClosed(PlatHandleUrl);
}

void PlatHttpCloseSession(PlatHttpSession* session) {
    if (session == nullptr) return;
    InternetCloseHandle(SessionHandle(session));
    PlatHandleClosed(PlatHandleSession);
}
