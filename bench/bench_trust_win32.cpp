#include "bench/bench_trust.h"

void BenchTrustCa(const char*) {}
