// Memory, the registry stand-in, child processes and the window hooks.
#include "platform/faults.h"
#include "platform/platform.h"
#include "platform/posix/posix_hooks.h"
#include "platform/posix/posix_path.h"

#include <errno.h>
#include <spawn.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/wait.h>

#include <atomic>
#include <mutex>

extern char** environ;

namespace {

const int kSubkeySize = 256;
const int kValueNameSize = 128;
const int kRegistrySize = 32;
const int kParametersSize = 4096;
const int kMaxArguments = 64;

// Key and value names compare without case, as in the Windows registry.
struct RegistryValue {
    char subkey[kSubkeySize];
    char name[kValueNameSize];
    uint32_t value;
};

std::mutex g_registryLock;
RegistryValue g_registry[kRegistrySize];
int g_registryUsed;

std::atomic<PlatPosixHook> g_repaintHook;
std::atomic<PlatPosixHook> g_doneHook;

bool SubkeyExists(const char* subkey) {
    for (int i = 0; i < g_registryUsed; ++i) {
        if (strcasecmp(g_registry[i].subkey, subkey) == 0) return true;
    }
    return false;
}

RegistryValue* FindValue(const char* subkey, const char* name) {
    for (int i = 0; i < g_registryUsed; ++i) {
        RegistryValue* entry = &g_registry[i];
        if (strcasecmp(entry->subkey, subkey) == 0 && strcasecmp(entry->name, name) == 0) return entry;
    }
    return nullptr;
}

// argv for posix_spawn: `program`, then the space-separated words of
// `parameters` cut in place in `words`. False when they do not fit.
bool SplitParameters(char* program, const char* parameters, char words[kParametersSize],
                     char* argv[kMaxArguments + 2]) {
    int count = 0;
    argv[count++] = program;
    if (!parameters) parameters = "";
    if (strlen(parameters) >= static_cast<size_t>(kParametersSize)) return false;
    strcpy(words, parameters);
    char* rest = nullptr;
    for (char* word = strtok_r(words, " ", &rest); word; word = strtok_r(nullptr, " ", &rest)) {
        if (count > kMaxArguments) return false;
        argv[count++] = word;
    }
    argv[count] = nullptr;
    return true;
}

void WaitForExit(pid_t child) {
    int status;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

// ---- Memory ------------------------------------------------------------------

// A zero size still gives a block, as HeapAlloc does.
void* PlatAlloc(size_t size) {
    if (PlatShouldFail(PlatOpAlloc)) return nullptr;
    return malloc(size ? size : 1);
}

void* PlatRealloc(void* block, size_t size) {
    if (PlatShouldFail(PlatOpAlloc)) return nullptr;
    return realloc(block, size ? size : 1);
}

// ---- Registry ----------------------------------------------------------------

void PlatPosixSetMachineDword(const char* subkey, const char* name, uint32_t value) {
    if (!subkey || !name) return;
    if (strlen(subkey) >= sizeof g_registry[0].subkey || strlen(name) >= sizeof g_registry[0].name) return;
    std::lock_guard<std::mutex> lock(g_registryLock);
    RegistryValue* entry = FindValue(subkey, name);
    if (!entry) {
        if (g_registryUsed == kRegistrySize) return;  // a test never needs this many
        entry = &g_registry[g_registryUsed++];
        strcpy(entry->subkey, subkey);
        strcpy(entry->name, name);
    }
    entry->value = value;
}

void PlatPosixClearRegistry() {
    std::lock_guard<std::mutex> lock(g_registryLock);
    g_registryUsed = 0;
}

// A key exists while it holds a value; opening it counts a 'K' handle, as on Windows.
bool PlatReadMachineDword(const char* subkey, const char* name, uint32_t* value) {
    if (PlatShouldFail(PlatOpRegistry)) return false;
    if (!subkey || !name || !value) return false;
    std::lock_guard<std::mutex> lock(g_registryLock);
    if (!SubkeyExists(subkey)) return false;
    PlatHandleOpened(PlatHandleRegistryKey);
    const RegistryValue* entry = FindValue(subkey, name);
    if (entry) *value = entry->value;
    PlatHandleClosed(PlatHandleRegistryKey);
    return entry != nullptr;
}

// ---- Processes -----------------------------------------------------------------

// No shell: `parameters` is split on spaces, without quoting.
bool PlatRunAndWait(const char* file, const char* parameters) {
    if (PlatShouldFail(PlatOpProcessStart)) return false;
    char program[PATH_MAX];
    char words[kParametersSize];
    char* argv[kMaxArguments + 2];
    if (!PosixMapPath(file, program) || !SplitParameters(program, parameters, words, argv)) return false;
    pid_t child;
    if (posix_spawn(&child, program, nullptr, nullptr, argv, environ) != 0) return false;
    PlatHandleOpened(PlatHandleProcess);
    WaitForExit(child);
    PlatHandleClosed(PlatHandleProcess);
    return true;
}

// ---- The launcher window ---------------------------------------------------------

void PlatPosixSetRepaintHook(PlatPosixHook hook) { g_repaintHook.store(hook); }

void PlatPosixSetDoneHook(PlatPosixHook hook) { g_doneHook.store(hook); }

void PlatRequestStatusRepaint() {
    PlatPosixHook hook = g_repaintHook.load();
    if (hook) hook();
}

void PlatNotifyPatchDone() {
    PlatPosixHook hook = g_doneHook.load();
    if (hook) hook();
}
