// The Win32 back end's side of test_support.h. The tests' Wine prefix already
// trusts the test CA (tests/servers/wine_prefix.sh); the registry is that
// prefix's own, so a test may change it.
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {
const char kRuntimeKey[] = "SOFTWARE\\Microsoft\\VisualStudio\\14.0\\VC\\Runtimes\\x86";
}

void TrustTestCa() {}

void SetRuntimeRegistryValue(bool keyPresent, unsigned value) {
    if (!keyPresent) {
        LONG result = RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kRuntimeKey, KEY_WOW64_32KEY, 0);
        if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
            ADD_FAILURE() << "RegDeleteKeyExA failed: " << result;
        }
        return;
    }
    HKEY key = nullptr;
    LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, kRuntimeKey, 0, nullptr, 0,
                                  KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, &key, nullptr);
    if (result != ERROR_SUCCESS) {
        ADD_FAILURE() << "RegCreateKeyExA failed: " << result;
        return;
    }
    DWORD data = value;
    result = RegSetValueExA(key, "Installed", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                            sizeof data);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) ADD_FAILURE() << "RegSetValueExA failed: " << result;
}
