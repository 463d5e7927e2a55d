// SHA-1 through the CryptoAPI. The opaque pointers carry the CryptoAPI
// handles themselves, so no allocation can fail between the two.
#include "platform/faults.h"
#include "platform/platform.h"

#include <windows.h>
#include <wincrypt.h>

namespace {

const DWORD kSha1Size = 20;

static_assert(sizeof(HCRYPTPROV) == sizeof(PlatHashContext*), "provider handle must fit a pointer");
static_assert(sizeof(HCRYPTHASH) == sizeof(PlatHash*), "hash handle must fit a pointer");

HCRYPTPROV ProviderHandle(PlatHashContext* context) { return reinterpret_cast<HCRYPTPROV>(context); }
HCRYPTHASH HashHandle(PlatHash* hash) { return reinterpret_cast<HCRYPTHASH>(hash); }

}  // namespace

PlatHashContext* PlatHashOpenContext() {
    if (PlatShouldFail(PlatOpHashContext)) return nullptr;
    HCRYPTPROV provider = 0;
    if (!CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
        return nullptr;
    if (provider == 0) return nullptr;  // cannot be told apart from failure
    PlatHandleOpened(PlatHandleHashContext);
    return reinterpret_cast<PlatHashContext*>(provider);
}

PlatHash* PlatHashCreate(PlatHashContext* context) {
    if (PlatShouldFail(PlatOpHashCreate)) return nullptr;
    HCRYPTHASH hash = 0;
    if (!CryptCreateHash(ProviderHandle(context), CALG_SHA1, 0, 0, &hash)) return nullptr;
    if (hash == 0) return nullptr;
    PlatHandleOpened(PlatHandleHash);
    return reinterpret_cast<PlatHash*>(hash);
}

bool PlatHashFeed(PlatHash* hash, const void* data, uint32_t size) {
    if (PlatShouldFail(PlatOpHashFeed)) return false;
    return CryptHashData(HashHandle(hash), static_cast<const BYTE*>(data), size, 0) != 0;
}

bool PlatHashValue(PlatHash* hash, unsigned char digest[20]) {
    if (PlatShouldFail(PlatOpHashValue)) return false;
    DWORD size = kSha1Size;
    if (!CryptGetHashParam(HashHandle(hash), HP_HASHVAL, digest, &size, 0)) return false;
    return size == kSha1Size;
}

void PlatHashDestroy(PlatHash* hash) {
    if (hash == nullptr) return;
    CryptDestroyHash(HashHandle(hash));
    PlatHandleClosed(PlatHandleHash);
}

void PlatHashCloseContext(PlatHashContext* context) {
    if (context == nullptr) return;
    CryptReleaseContext(ProviderHandle(context), 0);
    PlatHandleClosed(PlatHandleHashContext);
}
