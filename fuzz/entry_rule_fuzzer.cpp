// CheckEntryPath, the rule the studio's generator applies, against what a
// patch run really does with a one-entry manifest: a path the rule lets
// through must be installed into any BaseDir up to the length it was asked
// about, and a path it refuses as unsafe or too long must fail. Byte 0 picks
// the BaseDir length, the rest is the path.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>

#include "engine/http_fetch.h"
#include "engine/launcher_state.h"
#include "engine/manifest.h"
#include "engine/patch_run.h"
#include "engine/status_board.h"
#include "fake_platform.h"
#include "platform/faults.h"

namespace {

const char kInstalled[] = "Update selesai (1 file). Siap dimainkan!";
const char kFailed[] = "Selesai, tapi 1 file gagal. Klik MAIN/ulang.";

// "C:\" plus a folder name, `length` characters in all with the separator;
// "C:\" itself below the shortest folder ("C:\d\").
std::string BaseDirOfLength(size_t length) {
    if (length < kShortestBaseDir + 2) return "C:\\";
    return "C:\\" + std::string(length - kShortestBaseDir - 1, 'd') + "\\";
}

std::string EndTextOfRun(const std::string& path) {
    FakeReset();
    PlatResetFaults();
    FakeServe("version.txt", "1");
    FakeServe("manifest.txt", path + "|-1|\n");
    ResetStatusBoard();
    PatchRun(nullptr);
    char text[kStatusTextSize];
    int percent = 0;
    ReadStatusBoard(text, &percent);
    if (PlatOpenHandleCount() != 0) FuzzFail("handles left open", PlatHandleLog());
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    std::string base = BaseDirOfLength(kShortestBaseDir + data[0]);
    std::string path(reinterpret_cast<const char*>(data + 1), size - 1);
    path = path.c_str();
    strcpy(BaseDir, base.c_str());
    strcpy(PatchBaseUrl, "https://patch.fuzz.invalid/mok-patch/");

    const char* expected = nullptr;
    switch (CheckEntryPath(path.c_str(), base.size())) {
        case EntryPathFits:
            expected = kInstalled;
            break;
        case EntryPathControlByte:
        case EntryPathUnsafe:
        case EntryPathUrlTooLong:
        case EntryPathTooLong:
            expected = kFailed;
            break;
        case EntryPathBar:        // cannot be written as one entry
        case EntryPathLineBreak:  // the same
        case EntryPathTempName:   // refused for the clash, not for the run
            return 0;
    }
    std::string end = EndTextOfRun(path);
    if (end != expected) FuzzFail(expected == kInstalled ? "a path the rule accepts fails" : "a refused path installs",
                                  "BaseDir " + base + " path " + path + " ended: " + end);
    return 0;
}
