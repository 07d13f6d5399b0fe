#pragma once

#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A broken property stops the fuzzer like a crash does, with the input that broke it.
#define FUZZ_CHECK(cond, what)                                               \
    do {                                                                     \
        if (!(cond)) {                                                       \
            std::fprintf(stderr, "property failed: %s (%s)\n", what, #cond); \
            std::abort();                                                    \
        }                                                                    \
    } while (0)

// Fuzz bytes as the text a field or a file would hand the reader; ill-formed UTF-8
// becomes U+FFFD as it would from a paste.
inline QString fuzzText(const uint8_t *data, size_t size) {
    return QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
}
