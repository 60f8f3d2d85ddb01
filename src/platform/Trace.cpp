#include "platform/Trace.h"

#include <cstdlib>

#ifndef NDEBUG
namespace platform {

bool TraceEnabled() {
    static const bool enabled = std::getenv("QUORLIN_TRACE") != nullptr;
    return enabled;
}

}  // namespace platform
#endif
