#pragma once

#include <string>
#include <vector>

struct BankComparison;

// The commands of quorlin-cli that compare banks and name them from a library.
// Each takes the arguments after its name and returns the process exit code.
int RunDiffCommand(std::vector<std::string> in_args);
int RunNameCommand(std::vector<std::string> in_args);

// Prints one line per differing entry (only those whose bytes differ when
// in_bytesOnly) and returns kExitOk when the bytes are the same, else kExitDiffer.
int ReportComparison(const BankComparison& in_comparison, bool in_bytesOnly);
