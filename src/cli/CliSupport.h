#pragma once

#include <string>

class CSysExData;

// Says in_message on stderr as "quorlin-cli: ..." and returns in_code.
int Fail(int in_code, const std::string& in_message);
// A usage error: the message with a pointer to --help, and exit code 1.
int UsageError(const std::string& in_message);
// Reads FILE into in_bank, or returns the exit code of the failure after saying why.
int ReadInput(const std::string& in_path, CSysExData& in_bank);
// True when in_text ends in in_suffix (lower case), whatever the case of in_text.
bool EndsWith(const std::string& in_text, const std::string& in_suffix);
