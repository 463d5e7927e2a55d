#include "platform/faults.h"

#include <atomic>

namespace {

const int kLogSize = 4096;

std::atomic<int> g_calls[PlatOpCount];
std::atomic<int> g_failAt[PlatOpCount];  // call number that fails, 0 for none
std::atomic<int> g_openHandles;
char g_log[kLogSize];
std::atomic<int> g_logUsed;

void AppendLog(char kind, char sign) {
    int at = g_logUsed.load();
    if (at + 2 >= kLogSize) return;  // a long run keeps its first events only
    g_log[at] = kind;
    g_log[at + 1] = sign;
    g_log[at + 2] = 0;
    g_logUsed.store(at + 2);
}

}  // namespace

void PlatFailCall(PlatOp op, int nth) {
    g_failAt[op].store(nth > 0 ? g_calls[op].load() + nth : 0);
}

void PlatResetFaults() {
    for (int op = 0; op < PlatOpCount; ++op) {
        g_calls[op].store(0);
        g_failAt[op].store(0);
    }
    g_log[0] = 0;
    g_logUsed.store(0);
}

int PlatCallCount(PlatOp op) { return g_calls[op].load(); }

int PlatOpenHandleCount() { return g_openHandles.load(); }

const char* PlatHandleLog() { return g_log; }

bool PlatShouldFail(PlatOp op) {
    int call = g_calls[op].fetch_add(1) + 1;
    return call == g_failAt[op].load();
}

void PlatHandleOpened(PlatHandleKind kind) {
    g_openHandles.fetch_add(1);
    AppendLog(kind, '+');
}

void PlatHandleClosed(PlatHandleKind kind) {
    g_openHandles.fetch_sub(1);
    AppendLog(kind, '-');
}
