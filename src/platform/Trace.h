#pragma once

// Debug traces for developers: written to standard error in debug builds only;
// in release builds the arguments are not even evaluated.
#ifdef NDEBUG
#define QUORLIN_TRACE(...) \
    do {                   \
    } while (false)
#else
#include <cstdio>
#define QUORLIN_TRACE(...)                 \
    do {                                   \
        std::fprintf(stderr, __VA_ARGS__); \
    } while (false)
#endif
