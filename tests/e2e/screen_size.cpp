// Prints the primary screen's size as Win32 programs in this Wine session see
// it. Wine keeps the size its session started with, which need not be the
// X screen's, so the centring check asks the system instead of assuming.
#include <windows.h>
#include <stdio.h>

int main() {
    printf("%d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return 0;
}
