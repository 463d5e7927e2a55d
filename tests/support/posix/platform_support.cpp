// The POSIX back end's side of test_support.h: libcurl trusts the test CA
// through the back end's hook, and the registry is its in-process table.
#include "support/test_support.h"

#include "platform/posix/posix_hooks.h"

#include <stdio.h>
#include <stdlib.h>

namespace {
const char kRuntimeKey[] = "SOFTWARE\\Microsoft\\VisualStudio\\14.0\\VC\\Runtimes\\x86";
}

void TrustTestCa() {
    const char* ca = getenv("MOK_TEST_CA");
    if (ca == nullptr || *ca == '\0') {
        fprintf(stderr, "MOK_TEST_CA is not set: HTTPS requests to the test servers will fail\n");
        return;
    }
    PlatPosixSetCaFile(ca);
}

void SetRuntimeRegistryValue(bool keyPresent, unsigned value) {
    PlatPosixClearRegistry();
    if (keyPresent) PlatPosixSetMachineDword(kRuntimeKey, "Installed", value);
}
