// CheckServerVersion with the input as the answer for version.txt and as
// the state file, then WriteStateFile and a second check against what was
// written. Layout: byte 0 settings (bits 0-1 the declared length: true,
// none, one too many; bit 2 a state file exists; bit 3 the server answers
// 404), byte 1 the most bytes one read returns (0: no limit), byte 2 the
// length of the version body, then the body, then the state file.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "engine/http_fetch.h"
#include "engine/launcher_state.h"
#include "engine/manifest.h"
#include "engine/version_state.h"
#include "fake_platform.h"
#include "platform/faults.h"

namespace {

const char kBaseDir[] = "C:\\MOK\\";
const char kStatePath[] = "C:\\MOK\\MOK_patch.state";

// A label as the engine sees it: up to the first NUL, CR or LF.
std::string Label(const std::string& bytes) { return bytes.substr(0, bytes.find_first_of(std::string("\0\r\n", 3))); }

struct Input {
    FakeLengthMode lengthMode;
    bool stateExists;
    bool notFound;
    uint32_t readLimit;
    std::string body;
    std::string state;
};

bool Parse(const uint8_t* data, size_t size, Input* input) {
    if (size < 3) return false;
    static const FakeLengthMode kModes[] = {FakeLengthTrue, FakeLengthNone, FakeLengthTooLong, FakeLengthTrue};
    input->lengthMode = kModes[data[0] & 3];
    input->stateExists = (data[0] & 4) != 0;
    input->notFound = (data[0] & 8) != 0;
    input->readLimit = data[1];
    size_t bodySize = data[2] < size - 3 ? data[2] : size - 3;
    input->body.assign(reinterpret_cast<const char*>(data + 3), bodySize);
    input->state.assign(reinterpret_cast<const char*>(data + 3 + bodySize), size - 3 - bodySize);
    return true;
}

void CheckHandles(const char* when) {
    if (PlatOpenHandleCount() != 0) FuzzFail(when, std::string("handles left open: ") + PlatHandleLog());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input input;
    if (!Parse(data, size, &input)) return 0;
    strcpy(BaseDir, kBaseDir);
    strcpy(PatchBaseUrl, "https://patch.fuzz.invalid/mok-patch/");
    FakeReset();
    PlatResetFaults();
    FakeServe("version.txt", input.body);
    FakeSetLengthMode(input.lengthMode);
    FakeSetStatus(input.notFound ? 404 : 200);
    FakeSetReadLimit(input.readLimit);
    if (input.stateExists) FakeWriteFile(kStatePath, input.state);

    char* version = nullptr;
    bool differ = false;
    ServerVersionResult result = CheckServerVersion(&version, &differ);
    CheckHandles("first check");
    bool reachable = !input.notFound && input.lengthMode != FakeLengthTooLong && !input.body.empty();
    if ((result == ServerReached) != reachable)
        FuzzFail(reachable ? "offline for a usable answer" : "reached on an unusable answer", input.body);
    if (result == ServerOffline) return 0;

    std::string label = Label(input.body);
    // The studio's rule for labels: one it accepts comes back unchanged.
    bool usable = input.body.find('\0') == std::string::npos && IsUsableVersionLabel(input.body.c_str());
    if (usable && label != input.body) FuzzFail("a usable label read back changed", input.body);
    std::string stored = input.stateExists ? Label(input.state.substr(0, kLongestVersionLabel)) : std::string();
    if (version != label) FuzzFail("server version", version);
    if (differ != (label != stored)) FuzzFail("versions differ", label + " / " + stored);

    WriteStateFile(version);
    CheckHandles("state written");
    std::string written;
    if (!FakeReadFile(kStatePath, &written) || written != label) FuzzFail("state file", written);
    free(version);
    version = nullptr;
    // A label the state file cannot hold whole always reads as another version.
    if (CheckServerVersion(&version, &differ) != ServerReached) FuzzFail("second check", "offline");
    CheckHandles("second check");
    if (differ != (label.size() > kLongestVersionLabel)) FuzzFail("versions differ after writing", label);
    if (usable && differ) FuzzFail("a usable label differs from itself once stored", label);
    free(version);
    return 0;
}
