#include "bench/bench_trust.h"

#include "platform/posix/posix_hooks.h"

void BenchTrustCa(const char* pemPath) { PlatPosixSetCaFile(pemPath); }
