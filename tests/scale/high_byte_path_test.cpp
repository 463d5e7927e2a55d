// A manifest path made of every byte from 0x80 to 0xFF, through a whole run:
// the bytes reach the file system as they are (narrow calls) and the URL
// as %XX. The fault server's body64 answer serves the manifest for every
// name, so one base URL gives the version, the manifest and the file, and
// its request log shows the request line exactly as sent.
//
// Under Wine 8 (the tests' prefix: ANSI code page 1252) the narrow calls turn
// the bytes into Unicode and the host name is UTF-8: 0x80 becomes U+20AC,
// E2 82 AC on disk. The five bytes 1252 leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) become U+0081 and the like and map back the same way, so a
// narrow listing gives every byte back, as natively.
#include "engine/patch_run.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/http_fetch.h"
#include "scale/scale_platform.h"
#include "support/engine_fixture.h"
#include "support/run_support.h"
#include "support/test_support.h"

namespace {

std::string Base64Url(const std::string& bytes) {
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::string text;
    unsigned bits = 0;
    int held = 0;
    for (unsigned char byte : bytes) {
        bits = (bits << 8) | byte;
        held += 8;
        while (held >= 6) {
            held -= 6;
            text += kDigits[(bits >> held) & 63];
        }
    }
    if (held > 0) text += kDigits[(bits << (6 - held)) & 63];
    return text;
}

// Folders of 32 bytes each: a name of 128 bytes would pass 255 bytes once
// Wine spells it in UTF-8 on the host.
std::vector<std::string> HighByteComponents() {
    std::vector<std::string> components;
    for (int first = 0x80; first <= 0xE0; first += 0x20) {
        std::string component;
        for (int byte = first; byte < first + 0x20; ++byte) component += static_cast<char>(byte);
        components.push_back(component);
    }
    return components;
}

std::string PercentEncodedHighBytes(const std::string& path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char byte : path) {
        if (byte == '/') {
            encoded += '/';
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 15];
        }
    }
    return encoded;
}

std::string FaultServerLog() {
    size_t length = 0;
    char* log = FetchUrlToMemory((FaultUrl() + "__log").c_str(), &length);
    std::string text = log ? std::string(log, length) : std::string();
    free(log);
    return text;
}

class HighBytePathTest : public PatchRunFixture {};

TEST_F(HighBytePathTest, BytesTravelRawToDiskAndPercentEncodedIntoTheUrl) {
    std::vector<std::string> components = HighByteComponents();
    std::string path = components[0] + "/" + components[1] + "/" + components[2] + "/" + components[3];
    std::string manifest = path + "|-1|\n";
    std::string base64 = Base64Url(manifest);
    UseBaseUrl(FaultUrl() + "body64/" + base64 + "/");

    RunPatch();
    ASSERT_FALSE(board->log.empty());
    EXPECT_EQ(board->log.back().text, "Update selesai (1 file). Siap dimainkan!");

    EXPECT_EQ(ReadLocal(path), manifest) << "the file is where the raw bytes name it";
    std::string folder = installFolder;
    for (size_t depth = 0; depth < components.size(); ++depth) {
        SCOPED_TRACE("level " + std::to_string(depth));
        std::vector<std::string> names = FolderNames(folder);
        EXPECT_NE(std::find(names.begin(), names.end(), components[depth]), names.end())
            << "a narrow listing gives the same bytes back";
        folder = PathJoin(folder, components[depth]);
    }

    std::string requestLine = "GET /body64/" + base64 + "/" + PercentEncodedHighBytes(path) + " HTTP/1.1\n";
    EXPECT_NE(FaultServerLog().find(requestLine), std::string::npos) << "expected " << requestLine;
}

}  // namespace
