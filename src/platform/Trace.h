#pragma once

// Debug traces for developers. Release builds leave them out entirely (the
// arguments are not even evaluated); debug builds write them to standard error
// only when the environment variable QUORLIN_TRACE is set, so that a debug build's
// own output (the command-line tool's progress, the tests') stays readable.
#ifdef NDEBUG
#define QUORLIN_TRACE(...) \
    do {                   \
    } while (false)
#else
#include <cstdio>

namespace platform {
bool TraceEnabled();
}  // namespace platform

#define QUORLIN_TRACE(...)                     \
    do {                                       \
        if (platform::TraceEnabled()) {        \
            std::fprintf(stderr, __VA_ARGS__); \
        }                                      \
    } while (false)
#endif
