#include "cli/CliSupport.h"

#include <cstdio>

#include "cli/CliExit.h"

int Fail(int in_code, const std::string& in_message) {
    std::fprintf(stderr, "quorlin-cli: %s\n", in_message.c_str());
    return in_code;
}

int UsageError(const std::string& in_message) {
    return Fail(kExitUsage, in_message + " (see quorlin-cli --help)");
}
