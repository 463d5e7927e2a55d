// Back-end specific pieces of the patch run tests.
#pragma once

#include <string>

// Counts the done notifications the engine sends from now on; DoneCount()
// gives those since the last call.
void StartCountingDone();
int DoneCount();

// Puts a stand-in for the runtime installer at `path`. When started it
// waits a moment, then writes its arguments (joined by spaces) and its
// working folder, one per line, to `path` + ".ran".
void InstallFakeInstaller(const std::string& path);
