// Process-wide state set once by the start-up before the worker starts.
#pragma once

const int kPathSize = 260;  // every local path fits 259 characters

extern char BaseDir[kPathSize];  // installation folder, with a trailing separator
