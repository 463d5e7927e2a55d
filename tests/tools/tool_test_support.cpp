#include "tool_test_support.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "engine/manifest.h"
#include "platform/faults.h"
#include "support/engine_fixture.h"
#include "support/test_support.h"

std::string NativeIn(const std::string& folder, const std::string& relativePath) {
    std::string path = PathJoin(folder, relativePath);
#ifdef _WIN32
    std::replace(path.begin(), path.end(), '/', '\\');
#endif
    return path;
}

void WriteTree(const std::string& folder, const Tree& tree) {
    for (const auto& file : tree) WriteWholeFile(NativeIn(folder, file.first), file.second);
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator at(folder, error), end; !error && at != end; at.increment(error))
        names.push_back(at->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadOrEmpty(const std::string& path) {
    std::string content;
    ReadWholeFile(path, &content);
    return content;
}

std::string ExpectedManifest(Tree tree) {
    std::sort(tree.begin(), tree.end());
    std::string manifest;
    for (const auto& file : tree) manifest += ManifestLine(file.first, file.second);
    return manifest;
}

void ToolTest::SetUp() {
    PlatResetFaults();
    buildFolder = MakeTempFolder();
    outFolder = MakeTempFolder();
    request = {buildFolder, "1.0", outFolder, {}, kShortestBaseDir, false};
}

void ToolTest::TearDown() {
    EXPECT_EQ(PlatOpenHandleCount(), 0) << "handle log: " << PlatHandleLog();
    PlatResetFaults();
    RemoveTree(buildFolder);
    RemoveTree(outFolder);
}

void ToolTest::Put(const std::string& relativePath, const std::string& content) const {
    WriteWholeFile(NativeIn(buildFolder, relativePath), content);
}

GenerateOutcome ToolTest::Generate(const std::string& label) {
    request.label = label;
    return GenerateManifest(request, &report);
}

std::string Describe(const GenerateReport& report) {
    std::string text = report.error;
    for (const Refusal& refusal : report.refusals)
        text += "\n" + QuotedPath(refusal.relativePath) + ": " + RefusalText(refusal.reason);
    return text;
}
