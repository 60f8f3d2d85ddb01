#pragma once

#include <string>
#include <vector>

// The commands of quorlin-cli about the sound the instrument plays now: audition
// (play an entry of a file on it) and take (keep the patch selected on it). Each takes
// the arguments after its name and returns the process exit code.
int RunAuditionCommand(std::vector<std::string> in_args);
int RunTakeCommand(std::vector<std::string> in_args);
