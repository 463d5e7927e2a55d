// The mok-manifest command: arguments in, messages and an exit status out.
#pragma once

enum ToolExit { ToolDone = 0, ToolFoundProblems = 1, ToolMisused = 2 };

int RunManifestTool(int argc, char** argv);
