// SPDX-License-Identifier: MIT
// Digests from Windows' own cryptography (CNG): the provider and the hash, whose object the
// system keeps (Windows 7 and later), in one block of the process heap.
#include "runtime/platform.h"
#include "runtime/platform_win32.h"

#include <bcrypt.h>

namespace {

struct Digest {
    BCRYPT_ALG_HANDLE provider;
    BCRYPT_HASH_HANDLE hash;
    ULONG width;
};

// BCrypt's counts are 32 bits wide.
constexpr size_t MOST_AT_ONCE = size_t{1} << 30;

} // namespace

PlatformDigest BeginPlatformDigest(int32_t width) {
    auto *digest = static_cast<Digest *>(ProcessAlloc(sizeof(Digest)));
    if (!digest) return nullptr;
    digest->width = static_cast<ULONG>(width);
    if (BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(
            &digest->provider, width == 64 ? BCRYPT_SHA512_ALGORITHM : BCRYPT_SHA256_ALGORITHM,
            nullptr, 0))) {
        if (BCRYPT_SUCCESS(
                BCryptCreateHash(digest->provider, &digest->hash, nullptr, 0, nullptr, 0, 0)))
            return digest;
        BCryptCloseAlgorithmProvider(digest->provider, 0);
    }
    ProcessFree(digest);
    return nullptr;
}

void AddPlatformDigest(PlatformDigest digest, const uint8_t *bytes, size_t count) {
    auto *own = static_cast<Digest *>(digest);
    for (size_t taken = 0; taken < count; taken += MOST_AT_ONCE) {
        size_t piece = count - taken < MOST_AT_ONCE ? count - taken : MOST_AT_ONCE;
        BCryptHashData(own->hash, const_cast<PUCHAR>(bytes + taken), static_cast<ULONG>(piece), 0);
    }
}

void EndPlatformDigest(PlatformDigest digest, uint8_t *out) {
    auto *own = static_cast<Digest *>(digest);
    BCryptFinishHash(own->hash, out, own->width, 0);
    BCryptDestroyHash(own->hash);
    BCryptCloseAlgorithmProvider(own->provider, 0);
    ProcessFree(own);
}
