// mok-manifest: the studio's manifest generator and checker.
#include "tools/command_line.h"

int main(int argc, char** argv) { return RunManifestTool(argc, argv); }
