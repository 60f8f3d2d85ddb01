#pragma once

#include <string>

namespace platform {

// A state that must not occur: shows the message through the prompter, then ends
// the process at once with exit code 1. No exit step runs, so nothing is saved.
[[noreturn]] void InternalError(const std::string& message);

}  // namespace platform
