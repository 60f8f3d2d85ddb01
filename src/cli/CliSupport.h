#pragma once

#include <string>

// Says in_message on stderr as "quorlin-cli: ..." and returns in_code.
int Fail(int in_code, const std::string& in_message);
// A usage error: the message with a pointer to --help, and exit code 1.
int UsageError(const std::string& in_message);
