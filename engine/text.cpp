#include "engine/text.h"

#include <string.h>

bool JoinText(const char* first, const char* second, char* out, size_t size) {
    size_t firstLength = strlen(first);
    size_t secondLength = strlen(second);
    if (size == 0) return false;
    if (firstLength + secondLength >= size) {
        out[0] = 0;
        return false;
    }
    memcpy(out, first, firstLength);
    memcpy(out + firstLength, second, secondLength + 1);
    return true;
}

void CutAtLineEnd(char* text) { text[strcspn(text, "\r\n")] = 0; }
