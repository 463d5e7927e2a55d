// ReadManifestSize against the C library's strtoll in base 10, which reads
// the same grammar: white space, one sign, decimal digits, clamped.
#include <errno.h>
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <string>

#include "engine/manifest.h"
#include "fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);  // ends at its first NUL for both
    errno = 0;
    long long expected = strtoll(text.c_str(), nullptr, 10);
    int64_t read = ReadManifestSize(text.c_str());
    if (read != static_cast<int64_t>(expected))
        FuzzFail("ReadManifestSize", text + " read as " + std::to_string(read) + ", strtoll gives " +
                                         std::to_string(expected));
    return 0;
}
