#pragma once

#include <string>
#include <vector>

// The commands of quorlin-cli that make new sounds from old ones and find the library's
// sounds nearest to one. Each takes the arguments after its name and returns the
// process exit code.
int RunBlendCommand(std::vector<std::string> in_args);
int RunMutateCommand(std::vector<std::string> in_args);
int RunSimilarCommand(std::vector<std::string> in_args);
