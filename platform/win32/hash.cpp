// SHA-1 through the CryptoAPI. The opaque pointers carry the CryptoAPI
// handles themselves, so no allocation can fail between the two.
#include "platform/faults.h"
#include "platform/platform.h"

#include <windows.h>
#include <wincrypt.h>

#include <atomic>

namespace {

const DWORD kSha1Size = 20;

static_assert(sizeof(HCRYPTPROV) == sizeof(PlatHashContext*), "provider handle must fit a pointer");
static_assert(sizeof(HCRYPTHASH) == sizeof(PlatHash*), "hash handle must fit a pointer");

HCRYPTPROV ProviderHandle(PlatHashContext* context) { return reinterpret_cast<HCRYPTPROV>(context); }
HCRYPTHASH HashHandle(PlatHash* hash) { return reinterpret_cast<HCRYPTHASH>(hash); }

std::atomic<HCRYPTPROV> g_keptProvider{0};

// Acquiring a provider costs milliseconds (under Wine about 7 ms, 0.7 ms even
// with one held), once per hashed file. So one is acquired for the process
// and every context is a counted reference to it, released as before.
HCRYPTPROV KeptProvider() {
    HCRYPTPROV kept = g_keptProvider.load();
    if (kept != 0) return kept;
    HCRYPTPROV fresh = 0;
    if (!CryptAcquireContextA(&fresh, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) || fresh == 0)
        return 0;
    if (g_keptProvider.compare_exchange_strong(kept, fresh)) return fresh;
    CryptReleaseContext(fresh, 0);  // another thread kept one first
    return kept;
}

}  // namespace

PlatHashContext* PlatHashOpenContext() {
    if (PlatShouldFail(PlatOpHashContext)) return nullptr;
    HCRYPTPROV provider = KeptProvider();
    if (provider == 0 || !CryptContextAddRef(provider, nullptr, 0)) return nullptr;
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
