// SHA-1 through OpenSSL's EVP interface. The context owns the EVP state and
// the one hash that uses it at a time, so making a hash allocates nothing.
#include "platform/faults.h"
#include "platform/platform.h"

#include <openssl/evp.h>
#include <stdlib.h>

struct PlatHash {
    EVP_MD_CTX* digest;
};

struct PlatHashContext {
    PlatHash hash;
};

PlatHashContext* PlatHashOpenContext() {
    if (PlatShouldFail(PlatOpHashContext)) return nullptr;
    PlatHashContext* context = static_cast<PlatHashContext*>(malloc(sizeof(PlatHashContext)));
    if (!context) return nullptr;
    context->hash.digest = EVP_MD_CTX_new();
    if (!context->hash.digest) {
        free(context);
        return nullptr;
    }
    PlatHandleOpened(PlatHandleHashContext);
    return context;
}

PlatHash* PlatHashCreate(PlatHashContext* context) {
    if (PlatShouldFail(PlatOpHashCreate)) return nullptr;
    if (!context) return nullptr;
    if (EVP_DigestInit_ex(context->hash.digest, EVP_sha1(), nullptr) != 1) return nullptr;
    PlatHandleOpened(PlatHandleHash);
    return &context->hash;
}

bool PlatHashFeed(PlatHash* hash, const void* data, uint32_t size) {
    if (PlatShouldFail(PlatOpHashFeed)) return false;
    if (!hash || (!data && size > 0)) return false;
    return EVP_DigestUpdate(hash->digest, data, size) == 1;
}

bool PlatHashValue(PlatHash* hash, unsigned char digest[20]) {
    if (PlatShouldFail(PlatOpHashValue)) return false;
    if (!hash || !digest) return false;
    unsigned char value[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(hash->digest, value, &length) != 1 || length != 20) return false;
    for (int i = 0; i < 20; ++i) digest[i] = value[i];
    return true;
}

void PlatHashDestroy(PlatHash* hash) {
    if (!hash) return;
    EVP_MD_CTX_reset(hash->digest);
    PlatHandleClosed(PlatHandleHash);
}

void PlatHashCloseContext(PlatHashContext* context) {
    if (!context) return;
    EVP_MD_CTX_free(context->hash.digest);
    free(context);
    PlatHandleClosed(PlatHandleHashContext);
}
