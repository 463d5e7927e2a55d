// A build folder and an output folder of their own for each test of the
// manifest tool, and a check that every platform handle was closed.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tools/generate.h"

typedef std::vector<std::pair<std::string, std::string>> Tree;  // relative path, content

// `relativePath` ('/'-separated) below `folder`, in this system's form.
std::string NativeIn(const std::string& folder, const std::string& relativePath);
void WriteTree(const std::string& folder, const Tree& tree);
// Names in `folder`, sorted; empty when it cannot be listed.
std::vector<std::string> FolderNames(const std::string& folder);
std::string ReadOrEmpty(const std::string& path);
// The manifest the patch run expects for `tree`, lines in byte order of path.
std::string ExpectedManifest(Tree tree);

class ToolTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void Put(const std::string& relativePath, const std::string& content) const;
    GenerateOutcome Generate(const std::string& label = "1.0");
    std::string Output(const char* name) const { return ReadOrEmpty(NativeIn(outFolder, name)); }

    std::string buildFolder;  // with a trailing separator
    std::string outFolder;
    GenerateRequest request;  // the build and output folders filled in
    GenerateReport report;
};

// For failure messages: each refusal as "path: reason".
std::string Describe(const GenerateReport& report);
