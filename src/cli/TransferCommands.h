#pragma once

#include <string>
#include <vector>

// The commands of quorlin-cli that talk to the instrument: ports, get, send and verify.
// Each takes the arguments after its name and returns the process exit code.
int RunPortsCommand(std::vector<std::string> in_args);
int RunGetCommand(std::vector<std::string> in_args);
int RunSendCommand(std::vector<std::string> in_args);
int RunVerifyCommand(std::vector<std::string> in_args);
