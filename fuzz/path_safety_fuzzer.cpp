// IsSafeRelativePath against the rule restated in path_rule.cpp: the two
// must agree on every path. A safe path must also compose into a local path
// that starts with BaseDir and keeps no '/'.
#include <stddef.h>
#include <stdint.h>

#include <string>

#include "engine/launcher_state.h"
#include "engine/manifest.h"
#include "fake_platform.h"
#include "path_rule.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string path(reinterpret_cast<const char*>(data), size);
    path = path.c_str();
    bool engine = IsSafeRelativePath(path.c_str());
    bool rule = StaysInsideFolder(path);
    if (engine != rule) FuzzFail(engine ? "engine accepts an unsafe path" : "engine refuses a safe path", path);
    if (!engine) return 0;
    static const char kBase[] = "C:\\MOK\\";
    char local[kPathSize];
    if (!ComposeLocalPath(kBase, path.c_str(), local, sizeof local)) {
        if (sizeof kBase - 1 + path.size() < sizeof local) FuzzFail("a local path that fits was refused", path);
        return 0;
    }
    std::string expected = kBase + path;
    for (char& c : expected)
        if (c == '/') c = '\\';
    if (local != expected) FuzzFail("composed local path", local);
    return 0;
}
