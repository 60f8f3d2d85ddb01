#pragma once

#include <string>
#include <vector>

class CSysExData;

// quorlin-cli's commands on the parameters of one sound.

// show FILE NUMBER tone|patch --params: prints one line per parameter of entry
// in_index of in_bank (a patch when in_patch) and returns the exit code.
int PrintParameters(const CSysExData& in_bank, int in_index, bool in_patch);

// set FILE NUMBER tone|patch SETTING... [-o OUT] [--partial] [--force]: takes the
// arguments after "set" and returns the process exit code.
int RunSetCommand(std::vector<std::string> in_args);
