// The worker thread's body: one complete patch run.
#pragma once

#include "platform/platform.h"

// In the form _beginthreadex expects; the argument is ignored, the result 0.
unsigned MOK_STDCALL PatchRun(void* unused);
