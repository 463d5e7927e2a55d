// The path rule restated apart from the engine: what a relative path must
// look like for Windows to keep it inside the installation folder. The fuzz
// targets hold the engine to it.
#pragma once

#include <string>

// Not empty, no leading separator, no ':' and no byte below 0x20, and every
// component ('/' or '\\' between) keeps a character once Windows trims its
// trailing dots and spaces and is no device name (CON, PRN, AUX, NUL, COM1-9,
// LPT1-9, whatever the extension).
bool StaysInsideFolder(const std::string& relativePath);

// Letters, digits and "-._~/" as they are, every other byte as %XX with
// upper-case hex: false for anything else. `decoded` gets the bytes.
bool DecodeStrictPercent(const std::string& encoded, std::string* decoded);
