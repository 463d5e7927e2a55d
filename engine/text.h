// Bounded text helpers: nothing is ever cut into a different string.
#pragma once

#include <stddef.h>

// `first` followed by `second` in `out`. False, with `out` empty, when the
// result would not fit in `size` bytes.
bool JoinText(const char* first, const char* second, char* out, size_t size);

// Ends `text` at its first CR or LF.
void CutAtLineEnd(char* text);
