/* wininet_fetch [--sha1] BASEURL BASEDIR LIST: the floor for a download
 * under Wine. One WinINet session; for each relative path in LIST (one a
 * line) the URL BASEURL + path is read in 64 KiB blocks into BASEDIR + path,
 * creating its folders. The same request flags as the engine. With --sha1
 * every block is also fed to a CryptoAPI SHA-1 (one provider for the run)
 * and the digests are printed: the floor for a verified download. */
#include <windows.h>
#include <wininet.h>
#include <wincrypt.h>
#include <stdio.h>
#include <string.h>

#define CHUNK 65536
#define FLAGS (INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE)

static void make_parents(char* path) {
    for (char* at = path + 3; *at; ++at) {
        if (*at != '\\') continue;
        *at = 0;
        CreateDirectoryA(path, NULL);
        *at = '\\';
    }
}

static HCRYPTPROV g_provider;  /* 0: no hashing */

static int fetch(HINTERNET session, const char* url, char* path, char hex[41]) {
    static char chunk[CHUNK];
    HINTERNET request = InternetOpenUrlA(session, url, NULL, 0, FLAGS, 0);
    if (!request) return -1;
    DWORD status = 0, size = sizeof status;
    int ok = HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, NULL) &&
             status == 200;
    HANDLE file = INVALID_HANDLE_VALUE;
    HCRYPTHASH hash = 0;
    if (ok && g_provider) ok = CryptCreateHash(g_provider, CALG_SHA1, 0, 0, &hash);
    if (ok) {
        make_parents(path);
        file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        ok = file != INVALID_HANDLE_VALUE;
    }
    for (;;) {
        DWORD got = 0, wrote = 0;
        if (!ok || !InternetReadFile(request, chunk, CHUNK, &got)) {
            ok = 0;
            break;
        }
        if (got == 0) break;
        ok = WriteFile(file, chunk, got, &wrote, NULL) && wrote == got;
        if (ok && hash) ok = CryptHashData(hash, (BYTE*)chunk, got, 0);
    }
    if (hash) {
        BYTE value[20];
        DWORD size = sizeof value;
        ok = ok && CryptGetHashParam(hash, HP_HASHVAL, value, &size, 0) && size == 20;
        for (int i = 0; ok && i < 20; ++i) sprintf(hex + 2 * i, "%02x", value[i]);
        CryptDestroyHash(hash);
    }
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    InternetCloseHandle(request);
    return ok ? 0 : -1;
}

int main(int argc, char** argv) {
    int hashing = argc == 5 && strcmp(argv[1], "--sha1") == 0;
    if (argc != 4 + hashing) {
        fprintf(stderr, "usage: wininet_fetch [--sha1] BASEURL BASEDIR LIST\n");
        return 2;
    }
    argv += hashing;
    FILE* list = fopen(argv[3], "r");
    if (!list) return 1;
    if (hashing && !CryptAcquireContextA(&g_provider, NULL, NULL, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) {
        fclose(list);
        return 1;
    }
    HINTERNET session = InternetOpenA("bench", INTERNET_OPEN_TYPE_PRECONFIG, NULL, NULL, 0);
    if (!session) {
        if (g_provider) CryptReleaseContext(g_provider, 0);
        fclose(list);
        return 1;
    }
    char line[1024], url[2048], path[MAX_PATH], hex[41] = "";
    int fetched = 0, failed = 0;
    while (fgets(line, sizeof line, list)) {
        line[strcspn(line, "\r\n")] = 0;
        if (!line[0]) continue;
        snprintf(url, sizeof url, "%s%s", argv[1], line);
        snprintf(path, sizeof path, "%s%s", argv[2], line);
        for (char* at = path; *at; ++at)
            if (*at == '/') *at = '\\';
        if (fetch(session, url, path, hex) == 0) {
            ++fetched;
            if (hashing) printf("%s  %s\n", hex, line);
        } else {
            ++failed;
        }
    }
    InternetCloseHandle(session);
    if (g_provider) CryptReleaseContext(g_provider, 0);
    fclose(list);
    printf("%d fetched, %d failed\n", fetched, failed);
    return failed ? 1 : 0;
}
