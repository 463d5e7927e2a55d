// A whole patch run with the input as the manifest. Whatever the manifest
// says, every path the engine names must stay inside the installation
// folder, every URL must be the base URL plus a strictly encoded safe path,
// a file moved into place must match an entry for it (size and SHA-1, unless
// that entry's size is negative), and the run must end with the board ready,
// one done notification and no handle left open. A second run starts from
// the disk the first one left and fails one platform call picked from the
// input, so the clean-up paths are held to the same rules.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include <openssl/evp.h>

#include "engine/http_fetch.h"
#include "engine/launcher_state.h"
#include "engine/patch_run.h"
#include "engine/status_board.h"
#include "fake_platform.h"
#include "path_rule.h"
#include "platform/faults.h"

namespace {

const char kBaseDir[] = "C:\\MOK\\";
const char kBaseUrl[] = "https://patch.fuzz.invalid/mok-patch/";

struct Expected {
    int64_t size;
    std::string digest;
};
// Local path -> what the entries naming it ask for, read apart from the engine.
std::map<std::string, std::vector<Expected>> g_entries;

void ReadEntries(const std::string& manifest) {
    g_entries.clear();
    std::string text = manifest.c_str();  // the engine reads up to the first NUL
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find_first_of("\r\n", at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        size_t first = line.find('|');
        size_t second = first == std::string::npos ? first : line.find('|', first + 1);
        if (second == std::string::npos) continue;
        std::string local = kBaseDir + line.substr(0, first);
        for (char& c : local)
            if (c == '/') c = '\\';
        long long size = strtoll(line.substr(first + 1, second - first - 1).c_str(), nullptr, 10);
        g_entries[local].push_back(Expected{size, line.substr(second + 1)});
    }
}

std::string Sha1Hex(const std::string& data) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(data.data(), data.size(), digest, &length, EVP_sha1(), nullptr);
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 15];
    }
    return hex;
}

// A download is put in place only when an entry for that path accepts it.
void CheckReplaced(const std::string& path) {
    std::string content;
    if (!FakeReadFile(path, &content)) FuzzFail("replaced", "nothing at " + path);
    auto found = g_entries.find(path);
    if (found == g_entries.end()) FuzzFail("replaced", "no entry names " + path);
    std::string digest;
    for (const Expected& entry : found->second) {
        if (entry.size < 0) return;
        if (digest.empty()) digest = Sha1Hex(content);
        if (entry.size == static_cast<int64_t>(content.size()) && entry.digest == digest) return;
    }
    FuzzFail("replaced", "unverified content put in place at " + path);
}

void CheckPath(const char* operation, const char* path) {
    std::string text = path;
    size_t baseLength = strlen(kBaseDir);
    if (text.compare(0, baseLength, kBaseDir) != 0) FuzzFail(operation, "outside BaseDir: " + text);
    std::string rest = text.substr(baseLength);
    if (rest.find('/') != std::string::npos) FuzzFail(operation, "'/' left in a local path: " + text);
    if (!StaysInsideFolder(rest)) FuzzFail(operation, "unsafe local path: " + text);
    if (text.size() >= static_cast<size_t>(kPathSize)) FuzzFail(operation, "longer than a local path: " + text);
    if (strcmp(operation, "replaced") == 0) CheckReplaced(text);
}

void CheckUrl(const char*, const char* url) {
    std::string text = url;
    size_t baseLength = strlen(kBaseUrl);
    if (text.compare(0, baseLength, kBaseUrl) != 0) FuzzFail("url", "not below the base URL: " + text);
    std::string rest = text.substr(baseLength);
    if (rest == "version.txt" || rest == "manifest.txt") return;
    std::string decoded;
    if (!DecodeStrictPercent(rest, &decoded)) FuzzFail("url", "not strictly percent-encoded: " + text);
    if (!StaysInsideFolder(decoded)) FuzzFail("url", "fetches an unsafe path: " + text);
}

bool IsEndText(const char* text) {
    static const char* const kEnds[] = {"Selesai, tapi ", "Update selesai (", "File lengkap & terbaru.",
                                        "Gagal ambil daftar file.", "Server offline."};
    for (const char* end : kEnds)
        if (strncmp(text, end, strlen(end)) == 0) return true;
    return false;
}

void RunOnce() {
    int doneBefore = FakeDoneCount();
    ResetStatusBoard();
    PatchRun(nullptr);
    char text[kStatusTextSize];
    int percent = 0;
    ReadStatusBoard(text, &percent);
    if (!IsBoardReady()) FuzzFail("run", "board not ready at the end");
    if (FakeDoneCount() != doneBefore + 1) FuzzFail("run", "done not notified exactly once");
    if (PlatOpenHandleCount() != 0) FuzzFail("run", std::string("handles left open: ") + PlatHandleLog());
    if (!IsEndText(text)) FuzzFail("run", std::string("no end text: ") + text);
    if (percent != 100) FuzzFail("run", "the end text is not at 100 %");
    if (FakeProcessStarts() != 0) FuzzFail("run", "started a program with the runtime installed");
}

// A fault that depends on the input only, so a crash reproduces.
void InjectFaultFrom(const uint8_t* data, size_t size) {
    uint32_t mix = 2166136261u;
    for (size_t i = 0; i < size; ++i) mix = (mix ^ data[i]) * 16777619u;
    PlatOp op = static_cast<PlatOp>(mix % PlatOpCount);
    if (op == PlatOpRegistry || op == PlatOpProcessStart) op = PlatOpFileInfo;
    PlatFailCall(op, 1 + static_cast<int>((mix >> 8) % 6));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    strcpy(BaseDir, kBaseDir);
    strcpy(PatchBaseUrl, kBaseUrl);
    std::string manifest(reinterpret_cast<const char*>(data), size);
    ReadEntries(manifest);
    FakeReset();
    FakeSetPathHook(CheckPath);
    FakeSetUrlHook(CheckUrl);
    FakeServe("version.txt", "1\r\n");
    FakeServe("manifest.txt", manifest);

    PlatResetFaults();
    RunOnce();
    PlatResetFaults();
    InjectFaultFrom(data, size);
    RunOnce();
    PlatResetFaults();
    return 0;
}
