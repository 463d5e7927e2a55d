// An in-memory platform for the fuzz targets: a patch server answering a few
// named bodies, a disk made of a table of folders and files, and hooks that
// see every path and URL the engine names. Single-threaded, like libFuzzer.
#pragma once

#include <stdint.h>

#include <string>

// Empty server and disk; BaseDir (without its trailing separator) is the only
// folder. Clears the settings below and the done count.
void FakeReset();

// Answers PatchBaseUrl + `name` with `body`. A name never served answers 200
// with the rest of its URL as the body, so any download can complete.
void FakeServe(const std::string& name, const std::string& body);
void FakeSetStatus(int status);  // the status of every answer (200 after a reset)

enum FakeLengthMode { FakeLengthTrue, FakeLengthNone, FakeLengthTooLong };
void FakeSetLengthMode(FakeLengthMode mode);  // the declared Content-Length
void FakeSetReadLimit(uint32_t bytes);        // at most this many bytes per read; 0: no limit

void FakeWriteFile(const std::string& path, const std::string& content);
bool FakeReadFile(const std::string& path, std::string* content);

// Called with every path a file operation names and every URL opened; also
// with "replaced" and the target once a file has been moved into place.
typedef void (*FakeNameHook)(const char* operation, const char* name);
void FakeSetPathHook(FakeNameHook hook);
void FakeSetUrlHook(FakeNameHook hook);

int FakeDoneCount();      // done notifications since the reset
int FakeProcessStarts();  // PlatRunAndWait calls since the reset

// Prints `what` and `detail` (escaped) and aborts, so libFuzzer keeps the input.
[[noreturn]] void FuzzFail(const char* what, const std::string& detail);
