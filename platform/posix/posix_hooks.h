// Settings of the POSIX back end that only tests and tools use.
#pragma once

#include <stdint.h>

void PlatPosixSetCaFile(const char* pemPath);  // trust this CA (for every later request)
typedef void (*PlatPosixHook)();
void PlatPosixSetRepaintHook(PlatPosixHook hook);
void PlatPosixSetDoneHook(PlatPosixHook hook);

// The POSIX stand-in for the machine registry: an in-process table.
void PlatPosixSetMachineDword(const char* subkey, const char* name, uint32_t value);
void PlatPosixClearRegistry();
