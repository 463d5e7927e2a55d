// PercentEncodePath into an output exactly as large as asked (so AddressSanitizer
// sees any byte written past it). The first two input bytes give that size,
// the rest is the path. It must succeed exactly when the encoding fits with
// its terminator, produce only unreserved bytes and %XX, and decode back to
// the path; on failure it leaves an empty string.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "engine/download.h"
#include "fake_platform.h"
#include "path_rule.h"

namespace {

bool StaysAsItIs(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~' || c == '/';
}

size_t EncodedLength(const std::string& path) {
    size_t length = 0;
    for (unsigned char c : path) length += StaysAsItIs(c) ? 1 : 3;
    return length;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    size_t outSize = (static_cast<size_t>(data[0]) << 8 | data[1]) % 1200;
    std::string path(reinterpret_cast<const char*>(data + 2), size - 2);
    path = path.c_str();  // the engine sees a C string
    char* out = static_cast<char*>(malloc(outSize > 0 ? outSize : 1));
    bool fits = EncodedLength(path) < outSize;
    bool ok = PercentEncodePath(path.c_str(), out, outSize);
    if (ok != fits) FuzzFail(ok ? "encoded although it does not fit" : "refused although it fits", path);
    if (ok) {
        std::string encoded = out;
        std::string decoded;
        if (encoded.size() != EncodedLength(path)) FuzzFail("encoded length", encoded);
        if (!DecodeStrictPercent(encoded, &decoded)) FuzzFail("not strict percent-encoding", encoded);
        if (decoded != path) FuzzFail("does not decode to the path", encoded);
    } else if (outSize > 0 && out[0] != 0) {
        FuzzFail("a refused encoding left text", path);
    }
    free(out);
    return 0;
}
