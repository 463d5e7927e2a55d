// Stands in for the runtime installer in tests: records how it was started.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
    Sleep(300);  // a caller that does not wait sees no record yet
    char record[MAX_PATH + 8];
    snprintf(record, sizeof record, "%s.ran", argv[0]);
    FILE* out = fopen(record, "wb");
    if (!out) return 1;
    for (int i = 1; i < argc; ++i) fprintf(out, i > 1 ? " %s" : "%s", argv[i]);
    char folder[MAX_PATH];
    GetCurrentDirectoryA(sizeof folder, folder);
    fprintf(out, "\n%s\n", folder);
    fclose(out);
    return 0;
}
