#include "platform/Fatal.h"

#include <cstdio>
#include <cstdlib>

#include "platform/Prompter.h"

namespace platform {

void InternalError(const std::string& message) {
    GetPrompter().Message(message, PromptButtons::Ok);
    std::fflush(stderr);
    std::fflush(stdout);
    std::_Exit(1);
}

}  // namespace platform
