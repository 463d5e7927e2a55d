/* acquire_cost [URL]: what one CryptAcquireContextA + CryptReleaseContext
 * pair costs, the pair the Win32 back end makes for every hashed file.
 * With URL, one HTTPS request comes first, after which crypt32 holds a
 * provider of its own, as in the engine's process. */
#include <windows.h>
#include <wininet.h>
#include <wincrypt.h>
#include <stdio.h>

#define PAIRS 500

static double now(void) {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return (double)counter.QuadPart / (double)frequency.QuadPart;
}

static int fetch_once(const char* url) {
    HINTERNET session = InternetOpenA("bench", INTERNET_OPEN_TYPE_PRECONFIG, NULL, NULL, 0);
    if (!session) return -1;
    HINTERNET request = InternetOpenUrlA(session, url, NULL, 0,
                                         INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    int ok = request != NULL;
    char buffer[4096];
    DWORD got = 0;
    while (ok && InternetReadFile(request, buffer, sizeof buffer, &got) && got > 0) {
    }
    if (request) InternetCloseHandle(request);
    InternetCloseHandle(session);
    return ok ? 0 : -1;
}

int main(int argc, char** argv) {
    if (argc > 2 || (argc == 2 && fetch_once(argv[1]) != 0)) {
        fprintf(stderr, "usage: acquire_cost [URL]\n");
        return 2;
    }
    double start = now();
    for (int i = 0; i < PAIRS; ++i) {
        HCRYPTPROV provider = 0;
        if (!CryptAcquireContextA(&provider, NULL, NULL, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) return 1;
        CryptReleaseContext(provider, 0);
    }
    printf("%.3f ms per acquire and release (%s)\n", (now() - start) / PAIRS * 1000.0,
           argc == 2 ? "after an HTTPS request" : "no provider held");
    return 0;
}
