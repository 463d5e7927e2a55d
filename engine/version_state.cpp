#include "engine/version_state.h"

#include <stdlib.h>
#include <string.h>

#include "engine/http_fetch.h"
#include "engine/launcher_state.h"
#include "engine/status_board.h"
#include "engine/text.h"
#include "platform/platform.h"

namespace {

const char kStateFileName[] = "MOK_patch.state";

// The label of the last clean run; empty when the file is missing or unreadable.
void ReadStateFile(char label[kLongestVersionLabel + 1]) {
    label[0] = 0;
    char path[kPathSize];
    if (!JoinText(BaseDir, kStateFileName, path, sizeof path)) return;
    PlatFile* file = PlatOpenForRead(path);
    if (!file) return;
    uint32_t used = 0;
    uint32_t got = 0;
    while (used < kLongestVersionLabel && PlatReadFile(file, label + used, kLongestVersionLabel - used, &got) && got > 0)
        used += got;
    label[used] = 0;
    PlatCloseFile(file);
    CutAtLineEnd(label);
}

}  // namespace

ServerVersionResult CheckServerVersion(char** serverVersion, bool* versionsDiffer) {
    PublishStatus("Mengecek versi server...", 3);
    char url[kServerUrlSize];
    if (!JoinText(PatchBaseUrl, "version.txt", url, sizeof url)) return ServerOffline;
    size_t length = 0;
    char* version = FetchUrlToMemory(url, &length);
    if (!version) return ServerOffline;
    CutAtLineEnd(version);
    // The body's length decides, not the cut text's: a body that starts with
    // a line end is the empty label, not an offline server.
    if (length == 0) {
        free(version);
        return ServerOffline;
    }
    char stored[kLongestVersionLabel + 1];
    ReadStateFile(stored);
    *versionsDiffer = strcmp(version, stored) != 0;
    *serverVersion = version;
    return ServerReached;
}

void WriteStateFile(const char* serverVersion) {
    char path[kPathSize];
    if (!JoinText(BaseDir, kStateFileName, path, sizeof path)) return;
    PlatFile* file = PlatCreateForWrite(path);
    if (!file) return;
    uint32_t written = 0;
    PlatWriteFile(file, serverVersion, static_cast<uint32_t>(strlen(serverVersion)), &written);
    PlatCloseFile(file);
}
