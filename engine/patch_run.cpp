#include "engine/patch_run.h"

#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "engine/download.h"
#include "engine/file_check.h"
#include "engine/http_fetch.h"
#include "engine/launcher_state.h"
#include "engine/manifest.h"
#include "engine/status_board.h"
#include "engine/text.h"
#include "engine/version_state.h"
#include "platform/platform.h"

namespace {

const size_t kRunTextSize = 400;
const char kRuntimeKey[] = "SOFTWARE\\Microsoft\\VisualStudio\\14.0\\VC\\Runtimes\\x86";
const char kRuntimeInstaller[] = "_Runtime\\vc_redist.x86.exe";
const char kRuntimeArguments[] = "/install /quiet /norestart";

struct RunCounters {
    int total;
    int index;
    int fetched;
    int failed;
};

// Not clamped to 100; only held within int for manifests of tens of
// millions of CR-only lines.
int EntryPercent(const RunCounters& counters) {
    long long percent = 5 + 90LL * counters.index / counters.total;
    return percent < INT_MAX ? static_cast<int>(percent) : INT_MAX;
}

void PublishFormatted(int percent, const char* format, ...) __attribute__((format(printf, 2, 3)));
void PublishFormatted(int percent, const char* format, ...) {
    char text[kRunTextSize];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    PublishStatus(text, percent);
}

// One entry line: check it, and download it when it is stale. A path that
// could leave the installation folder, or does not fit, is never touched.
void CheckEntry(char* line, bool versionsDiffer, RunCounters* counters) {
    ManifestEntry entry;
    if (!SplitManifestLine(line, &entry)) return;
    ++counters->index;
    int percent = EntryPercent(*counters);
    if (counters->index % 8 == 0)
        PublishFormatted(percent, "Memeriksa file... (%d/%d)", counters->index, counters->total);
    char localPath[kPathSize];
    if (!IsSafeRelativePath(entry.relativePath) ||
        !ComposeLocalPath(BaseDir, entry.relativePath, localPath, sizeof localPath)) {
        ++counters->failed;
        return;
    }
    if (CheckLocalFile(localPath, entry.size, entry.digest, versionsDiffer) == Current) return;
    PublishFormatted(percent, "Mengunduh: %s", entry.relativePath);
    if (DownloadFile(entry.relativePath, localPath, entry.size, entry.digest) == Fetched)
        ++counters->fetched;
    else
        ++counters->failed;
}

void CheckManifest(char* manifest, bool versionsDiffer, RunCounters* counters) {
    char* cursor = manifest;
    while (char* line = TakeManifestLine(&cursor)) CheckEntry(line, versionsDiffer, counters);
}

void EnsureRuntimeInstalled() {
    uint32_t installed = 0;
    if (PlatReadMachineDword(kRuntimeKey, "Installed", &installed) && installed == 1) return;
    char installer[kPathSize];
    PlatFileInfo info;
    if (!JoinText(BaseDir, kRuntimeInstaller, installer, sizeof installer)) return;
    if (!PlatGetFileInfo(installer, &info) || info.isDirectory) return;
    PublishStatus("Memasang Visual C++ Redist...", 98);
    PlatRunAndWait(installer, kRuntimeArguments);
}

void PublishEndText(const RunCounters& counters) {
    if (counters.failed > 0)
        PublishFormatted(100, "Selesai, tapi %d file gagal. Klik MAIN/ulang.", counters.failed);
    else if (counters.fetched > 0)
        PublishFormatted(100, "Update selesai (%d file). Siap dimainkan!", counters.fetched);
    else
        PublishStatus("File lengkap & terbaru. Siap dimainkan!", 100);
}

// Everything after the version check: the manifest pass, the state file,
// the runtime and the end text.
void RunManifestPhase(const char* serverVersion, bool versionsDiffer) {
    PublishStatus("Mengecek file game...", 5);
    char url[kServerUrlSize];
    size_t length = 0;
    char* manifest = JoinText(PatchBaseUrl, "manifest.txt", url, sizeof url) ? FetchUrlToMemory(url, &length)
                                                                              : nullptr;
    if (!manifest || length == 0) {
        free(manifest);
        PublishStatus("Gagal ambil daftar file.", 100);
        return;
    }
    RunCounters counters = {CountManifestLines(manifest), 0, 0, 0};
    CheckManifest(manifest, versionsDiffer, &counters);
    free(manifest);
    if (counters.failed == 0) WriteStateFile(serverVersion);
    EnsureRuntimeInstalled();
    PublishEndText(counters);
}

}  // namespace

unsigned MOK_STDCALL PatchRun(void*) {
    char* serverVersion = nullptr;
    bool versionsDiffer = false;
    if (CheckServerVersion(&serverVersion, &versionsDiffer) == ServerOffline) {
        PublishStatus("Server offline. Cek koneksi internet.", 100);
    } else {
        RunManifestPhase(serverVersion, versionsDiffer);
        free(serverVersion);
    }
    SetBoardReady();
    PlatNotifyPatchDone();
    return 0;
}
