/* mok_bench_gen: the benchmark's data, the same bytes on every run.
 *
 *   mok_bench_gen tree SERVERDIR
 *       SERVERDIR/tree: about 2,000 files of 16 KiB to 64 MiB below data/
 *       (1 GiB in files of at most 50 MiB plus one of exactly 64 MiB),
 *       manifest.txt (every file, shuffled order), manifest-wine.txt (every
 *       fourth line) and version.txt; SERVERDIR/digest: version.txt and a
 *       manifest.txt of the files of at most 50 MiB.
 *   mok_bench_gen many SERVERDIR INSTALLDIR COUNT
 *       COUNT small files in INSTALLDIR, SERVERDIR/many/manifest.txt and
 *       version.txt, and INSTALLDIR's state file naming that version.
 *   mok_bench_gen big FILE SIZE
 *       one file of SIZE bytes; prints its SHA-1.
 */
#define _FILE_OFFSET_BITS 64
#include <errno.h>
#include <openssl/evp.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#define KIB 1024LL
#define MIB (1024LL * 1024)
#define HASH_LIMIT (50 * MIB)   /* the engine trusts larger files by size */
#define HASHED_TOTAL (1024 * MIB)
#define LARGEST (64 * MIB)
#define MAX_TREE_FILES 4096
#define FILES_PER_FOLDER 64
#define WRITE_BLOCK (1 << 20)

static const char kVersion[] = "bench-1";

static uint64_t next_random(uint64_t* state) { /* splitmix64 */
    uint64_t z = (*state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

static int make_parents(const char* path) {
    char scratch[4096];
    if (strlen(path) >= sizeof scratch) return -1;
    strcpy(scratch, path);
    for (char* at = scratch + 1; *at; ++at) {
        if (*at != '/') continue;
        *at = 0;
        if (mkdir(scratch, 0755) != 0 && errno != EEXIST) return -1;
        *at = '/';
    }
    return 0;
}

/* Writes SIZE pseudo-random bytes seeded by SEED to PATH; hex gets the SHA-1. */
static int write_file(const char* path, long long size, uint64_t seed, char hex[41]) {
    static uint64_t block[WRITE_BLOCK / 8];
    if (make_parents(path) != 0) return -1;
    FILE* out = fopen(path, "wb");
    if (!out) return -1;
    EVP_MD_CTX* digest = EVP_MD_CTX_new();
    int ok = digest && EVP_DigestInit_ex(digest, EVP_sha1(), NULL) == 1;
    uint64_t state = seed;
    for (long long done = 0; ok && done < size;) {
        size_t part = size - done < WRITE_BLOCK ? (size_t)(size - done) : WRITE_BLOCK;
        for (size_t i = 0; i < (part + 7) / 8; ++i) block[i] = next_random(&state);
        ok = fwrite(block, 1, part, out) == part && EVP_DigestUpdate(digest, block, part) == 1;
        done += part;
    }
    unsigned char value[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    ok = ok && EVP_DigestFinal_ex(digest, value, &length) == 1 && length == 20;
    for (unsigned i = 0; ok && i < 20; ++i) sprintf(hex + 2 * i, "%02x", value[i]);
    EVP_MD_CTX_free(digest);
    if (fclose(out) != 0) ok = 0;
    return ok ? 0 : -1;
}

static int write_text(const char* path, const char* text) {
    if (make_parents(path) != 0) return -1;
    FILE* out = fopen(path, "wb");
    if (!out) return -1;
    int ok = fputs(text, out) >= 0;
    return fclose(out) == 0 && ok ? 0 : -1;
}

struct TreeFile {
    long long size;
    char name[64];
    char hex[41];
};

/* Tier floors and counts below 32 MiB; each size is uniform in [floor, 2 floor). */
static const struct {
    long long floor;
    int count;
} kTiers[] = {
    {16 * KIB, 600}, {32 * KIB, 500}, {64 * KIB, 400}, {128 * KIB, 250}, {256 * KIB, 120}, {512 * KIB, 60},
    {1 * MIB, 30},   {2 * MIB, 16},   {4 * MIB, 10},   {8 * MIB, 8},     {16 * MIB, 6},
};

static int plan_tree(struct TreeFile* files, uint64_t* state) {
    int count = 0;
    long long hashed = 0;
    for (size_t t = 0; t < sizeof kTiers / sizeof kTiers[0]; ++t) {
        for (int i = 0; i < kTiers[t].count; ++i) {
            files[count].size = kTiers[t].floor + (long long)(next_random(state) % (uint64_t)kTiers[t].floor);
            hashed += files[count++].size;
        }
    }
    /* 32 to 50 MiB files fill up to exactly 1 GiB of hashed data. */
    while (hashed < HASHED_TOTAL) {
        long long size = 32 * MIB + (long long)(next_random(state) % (uint64_t)(HASH_LIMIT - 32 * MIB + 1));
        if (HASHED_TOTAL - hashed - size < 16 * KIB) size = HASHED_TOTAL - hashed;
        files[count++].size = size;
        hashed += size;
    }
    files[count++].size = LARGEST;
    for (int i = count - 1; i > 0; --i) { /* one manifest order mixing all sizes */
        int j = (int)(next_random(state) % (uint64_t)(i + 1));
        struct TreeFile swap = files[i];
        files[i] = files[j];
        files[j] = swap;
    }
    for (int i = 0; i < count; ++i)
        snprintf(files[i].name, sizeof files[i].name, "data/d%02d/f%04d.bin", i / FILES_PER_FOLDER, i);
    return count;
}

static int generate_tree(const char* serverDir) {
    static struct TreeFile files[MAX_TREE_FILES];
    uint64_t state = 20240601;
    int count = plan_tree(files, &state);
    char path[4096];
    long long total = 0;
    for (int i = 0; i < count; ++i) {
        snprintf(path, sizeof path, "%s/tree/%s", serverDir, files[i].name);
        if (write_file(path, files[i].size, 1000003ULL * (uint64_t)(i + 1), files[i].hex) != 0) {
            fprintf(stderr, "cannot write %s\n", path);
            return 1;
        }
        total += files[i].size;
    }
    const char* names[] = {"tree/manifest.txt", "tree/manifest-wine.txt", "digest/manifest.txt"};
    FILE* outs[3];
    for (int m = 0; m < 3; ++m) {
        snprintf(path, sizeof path, "%s/%s", serverDir, names[m]);
        if (make_parents(path) != 0 || !(outs[m] = fopen(path, "wb"))) {
            fprintf(stderr, "cannot write %s\n", path);
            return 1;
        }
    }
    long long wine = 0;
    int wineCount = 0;
    for (int i = 0; i < count; ++i) {
        fprintf(outs[0], "%s|%lld|%s\n", files[i].name, files[i].size, files[i].hex);
        if (i % 4 == 0) {
            fprintf(outs[1], "%s|%lld|%s\n", files[i].name, files[i].size, files[i].hex);
            wine += files[i].size;
            ++wineCount;
        }
        if (files[i].size <= HASH_LIMIT)
            fprintf(outs[2], "%s|%lld|%s\n", files[i].name, files[i].size, files[i].hex);
    }
    int ok = 1;
    for (int m = 0; m < 3; ++m) ok = fclose(outs[m]) == 0 && ok;
    snprintf(path, sizeof path, "%s/tree/version.txt", serverDir);
    ok = ok && write_text(path, kVersion) == 0;
    snprintf(path, sizeof path, "%s/digest/version.txt", serverDir);
    ok = ok && write_text(path, kVersion) == 0;
    printf("tree: %d files, %lld bytes; %lld bytes in files of at most 50 MiB; wine subset %d files, %lld bytes\n",
           count, total, total - LARGEST, wineCount, wine);
    return ok ? 0 : 1;
}

static int generate_many(const char* serverDir, const char* installDir, int count) {
    char path[4096];
    snprintf(path, sizeof path, "%s/many/manifest.txt", serverDir);
    FILE* manifest = make_parents(path) == 0 ? fopen(path, "wb") : NULL;
    if (!manifest) return 1;
    uint64_t state = 77;
    char name[64];
    char hex[41];
    for (int i = 0; i < count; ++i) {
        long long size = 1 + (long long)(next_random(&state) % 1024);
        snprintf(name, sizeof name, "pack/p%03d/e%06d.dat", i / 100, i);
        snprintf(path, sizeof path, "%s/%s", installDir, name);
        if (write_file(path, size, 5000011ULL * (uint64_t)(i + 1), hex) != 0) {
            fprintf(stderr, "cannot write %s\n", path);
            fclose(manifest);
            return 1;
        }
        fprintf(manifest, "%s|%lld|%s\n", name, size, hex);
    }
    int ok = fclose(manifest) == 0;
    snprintf(path, sizeof path, "%s/many/version.txt", serverDir);
    ok = ok && write_text(path, kVersion) == 0;
    snprintf(path, sizeof path, "%s/MOK_patch.state", installDir);
    ok = ok && write_text(path, kVersion) == 0;
    printf("many: %d files in %s\n", count, installDir);
    return ok ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc == 3 && strcmp(argv[1], "tree") == 0) return generate_tree(argv[2]);
    if (argc == 5 && strcmp(argv[1], "many") == 0) return generate_many(argv[2], argv[3], atoi(argv[4]));
    if (argc == 4 && strcmp(argv[1], "big") == 0) {
        char hex[41];
        if (write_file(argv[2], atoll(argv[3]), 4242, hex) != 0) return 1;
        printf("%s\n", hex);
        return 0;
    }
    fprintf(stderr, "usage: mok_bench_gen tree SERVERDIR | many SERVERDIR INSTALLDIR COUNT | big FILE SIZE\n");
    return 2;
}
