/* sha1_loop BASEDIR LIST: the floor for a digest pass. SHA-1 of BASEDIR +
 * each path in LIST (one a line) through OpenSSL's EVP interface, read in
 * 64 KiB blocks; prints "digest  path" lines as sha1sum does. */
#define _FILE_OFFSET_BITS 64
#include <fcntl.h>
#include <openssl/evp.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#define CHUNK 65536

static int hash_file(EVP_MD_CTX* digest, const char* path, char hex[41]) {
    static unsigned char chunk[CHUNK];
    int fd = open(path, O_RDONLY);
    if (fd < 0) return -1;
    int ok = EVP_DigestInit_ex(digest, EVP_sha1(), NULL) == 1;
    ssize_t got = 0;
    while (ok && (got = read(fd, chunk, CHUNK)) > 0) ok = EVP_DigestUpdate(digest, chunk, (size_t)got) == 1;
    if (got < 0) ok = 0;
    close(fd);
    unsigned char value[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    ok = ok && EVP_DigestFinal_ex(digest, value, &length) == 1 && length == 20;
    for (unsigned i = 0; ok && i < 20; ++i) sprintf(hex + 2 * i, "%02x", value[i]);
    return ok ? 0 : -1;
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: sha1_loop BASEDIR LIST\n");
        return 2;
    }
    FILE* list = fopen(argv[2], "r");
    EVP_MD_CTX* digest = EVP_MD_CTX_new();
    if (!list || !digest) return 1;
    char line[2048], path[4096], hex[41];
    int failed = 0;
    while (fgets(line, sizeof line, list)) {
        line[strcspn(line, "\r\n")] = 0;
        if (!line[0]) continue;
        snprintf(path, sizeof path, "%s%s", argv[1], line);
        if (hash_file(digest, path, hex) != 0) {
            fprintf(stderr, "sha1_loop: cannot hash %s\n", path);
            ++failed;
            continue;
        }
        printf("%s  %s\n", hex, line);
    }
    EVP_MD_CTX_free(digest);
    fclose(list);
    return failed ? 1 : 0;
}
