// Compiled into each executable with its own MOK_PATCH_HOST, so a test build
// of the launcher can point at a local server while the product keeps the
// studio's host.
#include "engine/http_fetch.h"

#ifndef MOK_PATCH_HOST
#error "MOK_PATCH_HOST must name the patch server's host"
#endif

char PatchBaseUrl[kBaseUrlSize] = "https://" MOK_PATCH_HOST "/mok-patch/";
