// mok_bench_run: runs the engine once against a patch server, the way the
// launcher's worker thread would, and exits.
//
//   mok_bench_run [--ca FILE] run   BASEURL INSTALLDIR
//   mok_bench_run [--ca FILE] fetch BASEURL INSTALLDIR RELPATH SIZE [DIGEST]
//
// `run` is one complete PatchRun; it prints the final status text and exits 0
// when the run ended ready to play. `fetch` is one DownloadFile into
// INSTALLDIR + RELPATH: a negative SIZE downloads without hashing, otherwise
// the size and DIGEST are verified. INSTALLDIR ends with a separator.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "bench/bench_trust.h"
#include "engine/download.h"
#include "engine/http_fetch.h"
#include "engine/launcher_state.h"
#include "engine/manifest.h"
#include "engine/patch_run.h"
#include "engine/status_board.h"

namespace {

int Usage() {
    fprintf(stderr,
            "usage: mok_bench_run [--ca FILE] run BASEURL INSTALLDIR\n"
            "       mok_bench_run [--ca FILE] fetch BASEURL INSTALLDIR RELPATH SIZE [DIGEST]\n");
    return 2;
}

bool EndsWithSeparator(const char* path) {
    size_t length = strlen(path);
    return length > 0 && (path[length - 1] == '/' || path[length - 1] == '\\');
}

bool SetTargets(const char* baseUrl, const char* installDir) {
    if (strlen(baseUrl) >= sizeof PatchBaseUrl || strlen(installDir) >= sizeof BaseDir) return false;
    if (!EndsWithSeparator(baseUrl) || !EndsWithSeparator(installDir)) return false;
    strcpy(PatchBaseUrl, baseUrl);
    strcpy(BaseDir, installDir);
    return true;
}

// Ready to play is the only clean end of a run.
int RunOnce() {
    PatchRun(nullptr);
    char text[kStatusTextSize];
    int percent = 0;
    ReadStatusBoard(text, &percent);
    printf("%s\n", text);
    return strstr(text, "Siap dimainkan!") ? 0 : 1;
}

int FetchOnce(const char* relativePath, const char* sizeText, const char* digest) {
    char localPath[kPathSize];
    if (!ComposeLocalPath(BaseDir, relativePath, localPath, sizeof localPath)) return 2;
    int64_t size = ReadManifestSize(sizeText);
    if (size >= 0 && !digest) return Usage();
    bool fetched = DownloadFile(relativePath, localPath, size, digest ? digest : "") == Fetched;
    printf("%s\n", fetched ? "fetched" : "failed");
    return fetched ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    int at = 1;
    if (at + 1 < argc && strcmp(argv[at], "--ca") == 0) {
        BenchTrustCa(argv[at + 1]);
        at += 2;
    }
    if (argc - at < 3 || !SetTargets(argv[at + 1], argv[at + 2])) return Usage();
    const char* mode = argv[at];
    if (strcmp(mode, "run") == 0 && argc - at == 3) return RunOnce();
    if (strcmp(mode, "fetch") == 0 && (argc - at == 5 || argc - at == 6))
        return FetchOnce(argv[at + 3], argv[at + 4], argc - at == 6 ? argv[at + 5] : nullptr);
    return Usage();
}
