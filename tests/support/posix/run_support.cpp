#include "support/run_support.h"

#include <sys/stat.h>

#include "platform/posix/posix_hooks.h"
#include "support/test_support.h"

namespace {

int g_doneCount = 0;

void CountDone() { ++g_doneCount; }

}  // namespace

void StartCountingDone() {
    g_doneCount = 0;
    PlatPosixSetDoneHook(CountDone);
}

int DoneCount() {
    int count = g_doneCount;
    g_doneCount = 0;
    return count;
}

void InstallFakeInstaller(const std::string& path) {
    WriteWholeFile(path,
                   "#!/bin/sh\n"
                   "sleep 0.3\n"
                   "{ echo \"$*\"; pwd; } > \"$0.ran\"\n");
    chmod(path.c_str(), 0755);
}
